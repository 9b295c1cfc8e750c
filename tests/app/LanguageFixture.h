#pragma once
// Fixture of the tests that switch the program's language: the built language library, an
// acquisition store of the test's own and the editor they may build; all put back afterwards.
#include <memory>

#include "AcquisitionStore.h"
#include "Config.h"
#include "Language.h"
#include "MainFixture.h"
#include "TestPaths.h"

class LanguageFixture : public MainFixture {
 protected:
  void LoadLanguages() {
    ASSERT_TRUE(LoadLanguageLibrary(BuiltLibrary("Languages")));
    previousDati_ = DatiMappati;
    DatiMappati = &dati_;
  }
  void TearDown() override {
    if (FormConfig == config_.get()) FormConfig = nullptr;
    form.reset();
    config_.reset();
    DatiMappati = previousDati_;
    FreeLanguageLibrary();
    InstallQtTranslations(QStringLiteral("/nonexistent"));
  }

  TDatiMappati dati_;
  TDatiMappati* previousDati_ = nullptr;
  std::unique_ptr<TFormConfig> config_;
};
