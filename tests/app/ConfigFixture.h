#pragma once
// The data set on the simulated ECU (link open, fake clock, scripted message boxes) with a
// temporary data folder, scripted file dialogs and a recording text editor; a stand-in for the
// main window that saves on the file dialog's save request.
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QWidget>

#include "BrandProfile.h"
#include "ConfigActions.h"
#include "FileDialog.h"
#include "PrivateMessage.h"
#include "SimEcuFixture.h"
#include "TextEditor.h"

// Saves through ExecuteSalva with its own save dialog when asked with WM_ECUCHANGED 4.
class MainStandIn : public QWidget {
 public:
  MainStandIn() {
    setWindowTitle(QStringLiteral("Finestra principale"));
    saveDialog.Filter = QStringLiteral("Configurazione|*.trm");
    saveDialog.DefaultExt = QStringLiteral("trm");
  }
  TFileDialog openDialog{false};
  TFileDialog saveDialog{true};
  int saveRequests = 0;

 protected:
  void customEvent(QEvent* e) override {
    const PrivateMessageEvent* m = AsPrivateMessage(e, WM_ECUCHANGED);
    if (m && m->LParam() == EcuSaveRequest) {
      ++saveRequests;
      ExecuteSalva(this, saveDialog);
    }
  }
};

class ConfigFixture : public SimEcuFixture {
 protected:
  ConfigFixture() : useDialogs_(&dialogs_), useEditor_(&editor_) {
    SelectBrand(kThisBuildBrandBit);
    data_.SetFileKey(GetBrandFileKey());
    base_ = dir_.path();
  }

  QString Path(const QString& relative) const { return base_ + QLatin1Char('/') + relative; }
  bool Exists(const QString& relative) const { return QFile::exists(Path(relative)); }
  void WriteFile(const QString& relative, const QByteArray& content) const {
    QDir().mkpath(QFileInfo(Path(relative)).path());
    QFile f(Path(relative));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(content);
  }
  // Writes of every kind the ECU received since the last ClearCalls.
  int EcuWrites() const {
    int n = 0;
    for (const SimCall& c : ecu_.Calls())
      if (c.op == SimOp::WriteVariable || c.op == SimOp::WriteElement || c.op == SimOp::WriteCell ||
          c.op == SimOp::WriteRow || c.op == SimOp::WriteArray)
        ++n;
    return n;
  }
  // Rows of the petrol map written: only a whole-configuration write sends them.
  int PetrolMapRows() const { return CountCalls(SimOp::WriteRow, 0xC34F); }
  // The texts of the message boxes shown so far.
  QStringList PromptTexts() const {
    QStringList texts;
    for (const PromptRequest& r : prompts_.Shown()) texts << r.text;
    return texts;
  }

  QTemporaryDir dir_;
  QString base_;
  ScriptedFileDialogs dialogs_;
  ScopedFileDialogs useDialogs_;
  ScriptedTextEditor editor_;
  ScopedTextEditor useEditor_;
  MainStandIn main_;
};
