// The configuration editor's frame, field by field: the value-code binding table, the special
// cases of the shared Enter handler, the limit hint of fractional limits, and what the
// acquired-data guard's Yes enables again.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QLocale>
#include <QRadioButton>
#include <QTest>
#include <QVBoxLayout>

#include "AcquisitionStore.h"
#include "Config.h"
#include "KeyComboBox.h"
#include "MapGridPage.h"
#include "NumericEdit.h"
#include "PageFixture.h"

namespace {

enum class Kind { Edit, Combo, Check };

// The binding table as the editor documents it: field, value code, limits, precision.
struct Row {
  const char* name;
  Kind kind;
  int code;
  double minValue, maxValue, precision;
};
const Row kTable[] = {
    {"ComboTipoLambda", Kind::Combo, 0x4, 0, 0, 0},
    {"EditRifLambda", Kind::Edit, 0x5, 0, 5, 0.02},
    {"EditRitardoLbd", Kind::Edit, 0x6, 0, 255, 1},
    {"EditSondaFredda", Kind::Edit, 0x7, 0, 255, 1},
    {"EditRifSupFredda", Kind::Edit, 0x8, 0, 5, 0.02},
    {"EditRifInfFredda", Kind::Edit, 0x9, 0, 5, 0.02},
    {"EditRifSupCalda", Kind::Edit, 0xA, 0, 5, 0.02},
    {"EditRifInfCalda", Kind::Edit, 0xB, 0, 5, 0.02},
    {"EditTempCambio", Kind::Edit, 0xF, 5, 40, 1},
    {"EditGiriCambio", Kind::Edit, 0x210, 0, 3000, 50},
    {"EditRitMin", Kind::Edit, 0x11, 0, 250, 1},
    {"EditFuoriGiri", Kind::Edit, 0x213, 4500, 7500, 50},
    {"ComboAccensione", Kind::Combo, 0x14, 0, 0, 0},
    {"EditTempoCicchetto", Kind::Edit, 0x26D, 0, 5, 0.02},
    {"EditFasciaMin", Kind::Edit, 0x215, 0, 2000, 50},
    {"EditProva", Kind::Edit, 0x12, 0, 255, 1},
    {"ComboTps", Kind::Combo, 0x300001A, 0, 0, 0},
    {"ComboTpsSwitch", Kind::Combo, 0x230001A, 0, 0, 0},
    {"CheckDriveByWire1", Kind::Check, 0x150001A, 0, 0, 0},
    {"CheckTpsBloc", Kind::Check, 0x170001A, 0, 0, 0},
    {"EditIstTps", Kind::Edit, 0x1B, 0, 5, 0.02},
    {"EditTpsMoltoFMin", Kind::Edit, 0x3F, 0, 5, 0.02},
    {"EditCoefficienteUscitaMinimo", Kind::Edit, 0x64, 1, 100, 1},
    {"EditTempoCoefficienteUscitaMinimo", Kind::Edit, 0x65, 0, 255, 1},
    {"EditTempoPer100", Kind::Edit, 0x66, 0, 500, 1},
    {"EditCfTot", Kind::Edit, 0x216, 1200, 6000, 50},
    {"EditChiusuraCutoff", Kind::Edit, 0x59, 0.02, 10, 0.02},
    {"EditAperturaCutoff", Kind::Edit, 0x5A, 0.02, 10, 0.02},
    {"EditCorrInRilascio", Kind::Edit, 0x66C, -200, 200, 1},
    {"EditTempoAlto", Kind::Edit, 0x20, 0, 5, 0.02},
    {"EditTempoBasso", Kind::Edit, 0x21, 0, 5, 0.02},
    {"EditTempoTri", Kind::Edit, 0x222, 0, 1300, 0.02},
    {"EditOnde", Kind::Edit, 0x23, 1, 250, 1},
    {"EditLivEmulAlto", Kind::Edit, 0x47, 0, 4.9, 0.02},
    {"EditLivEmulBasso", Kind::Edit, 0x48, 0, 4.9, 0.02},
    {"EditRitornoBenzina", Kind::Edit, 0x3E, 0, 20, 1},
    {"EditLivelloAlcol", Kind::Edit, 0x70, 0, 255, 1},
    {"EditMaxErrInteg", Kind::Edit, 0x626, 0, 200, 1},
    {"EditMinErrInteg", Kind::Edit, 0x627, 0, 200, 1},
    {"EditMaxErrIntegMin", Kind::Edit, 0x628, 0, 200, 1},
    {"EditMinErrIntegMin", Kind::Edit, 0x629, 0, 200, 1},
    {"EditRientroMinimo", Kind::Edit, 0x449, -10, 10, 1},
    {"EditTpsSbana", Kind::Edit, 0x2C, 0, 5, 0.02},
    {"EditGiriSbana", Kind::Edit, 0x22D, 200, 10000, 50},
    {"EditCumuloArricc", Kind::Edit, 0x33, 0, 10, 1},
    {"EditIniezioni", Kind::Edit, 0x56, 0, 255, 1},
    {"EditTpsArrBenzina", Kind::Edit, 0x38, 0.4, 10, 0.04},
    {"EditDutyCorrente", Kind::Edit, 0x7F, 0, 100, 0.04},
    {"EditGiriArrBenzina", Kind::Edit, 0x24A, 0.5, 8, 0.02},
    {"EditCil", Kind::Edit, 0x3000034, 1, 8, 1},
    {"EditCilRif", Kind::Edit, 0x3300034, 1, 8, 1},
    {"EditCorrezioneFuoriMinimo", Kind::Edit, 0x671, -255, 255, 1},
    {"EditCorrezioneAlMinimo", Kind::Edit, 0x672, -255, 255, 1},
    {"EditMassimoValoreCorrezione", Kind::Edit, 0x73, 0, 255, 1},
    {"EditTempoTraCorrezioni", Kind::Edit, 0x74, 0, 5, 0.02},
    {"EditRigheZonaApprendimento", Kind::Edit, 0x75, 0, 15, 1},
    {"EditColonneZonaApprendimento", Kind::Edit, 0x75, 0, 15, 1},
    {"EditMinimoValoreCorrettore", Kind::Edit, 0x76, 0, 255, 1},
    {"EditTempoPerCorrezione", Kind::Edit, 0x277, 0, 12, 0.01},
};

// One page holding every field of the table, built bare: the frame gives them codes and limits.
class AllFieldsPage : public TConfigPage {
 public:
  AllFieldsPage(TFormConfig* form, ConfigPageId id) : TConfigPage(form, id) {
    auto* layout = new QVBoxLayout(this);
    for (const Row& r : kTable) {
      QWidget* w = nullptr;
      switch (r.kind) {
        case Kind::Edit:
          w = new TNumericEdit(this);
          break;
        case Kind::Combo: {
          auto* c = new TKeyComboBox(this);
          c->addItems({"0", "1", "2", "3"});
          w = c;
          break;
        }
        case Kind::Check:
          w = new QCheckBox(this);
          break;
      }
      w->setObjectName(r.name);
      layout->addWidget(w);
    }
  }
};

// The other pages stay empty (their units build fields of the same names), except the map page
// the guard test looks at.
TConfigPage* AllFieldsPages(TFormConfig* form, ConfigPageId id) {
  if (id == TabCambio) return new AllFieldsPage(form, id);
  if (id == TabMappa) return CreateConfigPage(form, id);
  return new TConfigPage(form, id);
}

class ConfigFrameTest : public PageFixture {
 protected:
  ConfigFrameTest() : PageFixture(AllFieldsPages) {}
  template <class T>
  T* Field(const char* name) {
    return form_->findChild<T*>(name);
  }
  void Key(int key) {
    QWidget* target = QApplication::focusWidget();
    QTest::keyClick(target ? target : form_.get(), static_cast<Qt::Key>(key));
  }
};

}  // namespace

TEST_F(ConfigFrameTest, EveryFieldOfTheBindingTableGetsItsCodeLimitsAndPrecision) {
  for (const Row& r : kTable) {
    SCOPED_TRACE(r.name);
    switch (r.kind) {
      case Kind::Edit: {
        auto* e = Field<TNumericEdit>(r.name);
        ASSERT_NE(e, nullptr);
        EXPECT_EQ(e->DataCode(), r.code);
        EXPECT_EQ(e->DataIndex(), -1);
        EXPECT_DOUBLE_EQ(e->MinValue(), r.minValue);
        EXPECT_DOUBLE_EQ(e->MaxValue(), r.maxValue);
        EXPECT_DOUBLE_EQ(e->GetPrecision(), r.precision);
        break;
      }
      case Kind::Combo: {
        auto* c = Field<TKeyComboBox>(r.name);
        ASSERT_NE(c, nullptr);
        EXPECT_EQ(c->DataCode(), r.code);
        break;
      }
      case Kind::Check: {
        auto* c = Field<QCheckBox>(r.name);
        ASSERT_NE(c, nullptr);
        EXPECT_EQ(c->property("Tag").toInt(), r.code);
        break;
      }
    }
  }
}

TEST_F(ConfigFrameTest, TheTimeToFullFollowsTheExitCoefficient) {
  // The ECU keeps the time to 100 % as a count of (100 - coefficient) steps: a new coefficient
  // writes the time again and shows what it became.
  auto* coefficient = Field<TNumericEdit>("EditCoefficienteUscitaMinimo");
  auto* time = Field<TNumericEdit>("EditTempoPer100");
  Enter(coefficient, "50");
  Enter(time, "310");  // 6 steps of 50
  EXPECT_EQ(ecu_.Stored(0x66), 6);
  EXPECT_EQ(time->text(), "300");
  ecu_.ClearCalls();
  Enter(coefficient, "80");
  EXPECT_EQ(ecu_.Stored(0x64), 80);
  EXPECT_EQ(CountCalls(SimOp::WriteVariable, 0x66), 1);
  EXPECT_EQ(ecu_.Stored(0x66), 15);  // 300 / 20
  EXPECT_EQ(time->text(), "300");
  Enter(time, "333");
  EXPECT_EQ(ecu_.Stored(0x66), 16);
  EXPECT_EQ(time->text(), "320");
}

TEST_F(ConfigFrameTest, LimitHintOfFractionalLimitsUsesTheUsersSeparator) {
  const QLocale previous;
  QLocale::setDefault(QLocale(QLocale::Italian, QLocale::Italy));
  const struct {
    const char* field;
    const char* hint;
  } cases[] = {
      {"EditChiusuraCutoff", "(0,02;10)"},
      {"EditLivEmulAlto", "(0;4,9)"},
      {"EditCorrInRilascio", "(-200;200)"},
      {"EditTpsArrBenzina", "(0,4;10)"},
  };
  for (const auto& c : cases) {
    Field<TNumericEdit>(c.field)->setFocus();
    EXPECT_TRUE(form_->LimitHint()->isVisible()) << c.field;
    EXPECT_EQ(form_->LimitHint()->text(), c.hint);
  }
  QLocale::setDefault(previous);
}

TEST_F(ConfigFrameTest, GuardYesEnablesTheViewButtonsAsThePetrolMapAllows) {
  auto* usaBenzina = new QAction("Usa benzina", form_.get());
  usaBenzina->setObjectName("MenuUsaBenzina");
  auto* map = static_cast<TPageMappa*>(form_->Page(TabMappa));
  for (const bool petrol : {true, false}) {
    SCOPED_TRACE(petrol);
    data_.HasMappaBenzina = petrol;
    form_->SetActivePage(TabMappa);
    // A sample taken with Space disabled them.
    usaBenzina->setEnabled(false);
    for (QRadioButton* b : {map->CheckMappaGas, map->CheckMappaBenzina, map->CheckEntrambeMappe})
      b->setEnabled(false);
    dati_.Add(2000, 2.0, 3000, 0);
    prompts_.Answer(PromptYes);
    Key(Qt::Key_F1);
    EXPECT_EQ(form_->ActivePage(), TabCambio);
    EXPECT_TRUE(usaBenzina->isEnabled());
    EXPECT_TRUE(map->CheckMappaGas->isEnabled());
    EXPECT_EQ(map->CheckMappaBenzina->isEnabled(), petrol);
    EXPECT_EQ(map->CheckEntrambeMappe->isEnabled(), petrol);
  }
  // The window's close button goes through the guard too.
  form_->SetActivePage(TabMappa);
  dati_.Add(2000, 2.0, 3000, 0);
  prompts_.Answer(PromptNo);
  form_->close();
  EXPECT_TRUE(form_->isVisible());
  EXPECT_EQ(dati_.Count(), 1);
}
