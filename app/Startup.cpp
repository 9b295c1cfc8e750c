#include "Startup.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDialog>
#include <QEventLoop>
#include <QLibrary>
#include <QPointer>
#include <QSysInfo>
#include <memory>

#include "AcquisitionStore.h"
#include "AppSettings.h"
#include "Application.h"
#include "BrandProfile.h"
#include "EcuData.h"
#include "FormScarica.h"
#include "FormSplash.h"
#include "Language.h"
#include "Main.h"
#include "MessageSink.h"
#include "PrivateMessage.h"
#include "Prompt.h"
#include "SerialLink.h"
#include "SingleInstance.h"

QLibrary* SerialModule = nullptr;

namespace {

QString ProgramFolderLibrary(const QString& name) {
  return QCoreApplication::applicationDirPath() + QLatin1Char('/') + name;
}

// A resident form whose own class is not part of the program yet: an empty hidden window.
QWidget* PlaceholderForm(const char* name) {
  auto* w = new QDialog;
  w->setObjectName(QString::fromLatin1(name));
  return w;
}

// Ends the message loop when the main window has accepted a close (or is gone).
class MainWindowWatcher final : public QObject {
 public:
  MainWindowWatcher(QWidget* main, QEventLoop* loop) : main_(main), loop_(loop) {
    main->installEventFilter(this);
    connect(main, &QObject::destroyed, loop, &QEventLoop::quit);
  }

 protected:
  bool eventFilter(QObject* watched, QEvent* e) override {
    if (watched != main_ || e->type() != QEvent::Close) return false;
    // The window's own close handling decides (it may refuse); the loop ends only when it
    // accepts.
    main_->removeEventFilter(this);
    QCoreApplication::sendEvent(main_, e);
    if (main_) main_->installEventFilter(this);
    if (e->isAccepted()) loop_->quit();
    return true;
  }

 private:
  QPointer<QWidget> main_;
  QEventLoop* loop_;
};

// The objects start-up makes, taken down in the fixed order by TearDown, which runs in every
// case (also after a failed start-up, so the settings are always written back).
class Program {
 public:
  ~Program() { TearDown(); }

  void Start(const StartupOptions& options, IMessageSink* screen) {
    // Settings.
    AppSettings = new TAppSettings(nullptr);
    if (AppSettings->ResetNeeded())
      ShowPrompt(nullptr, QString(), TAppSettings::ResetMessage(), PromptIcon::Stop, PromptOk);

    // Language library: a missing one is no error, the program's own table serves.
    LoadLanguageLibrary(options.languageLibrary.isEmpty() ? ProgramFolderLibrary(QStringLiteral("Languages"))
                                                          : options.languageLibrary);

    // Serial library and its link object.
    if (!LoadSerialLibrary(options.serialLibrary.isEmpty() ? ProgramFolderLibrary(QStringLiteral("SerKivDL"))
                                                           : options.serialLibrary)) {
      ShowPrompt(nullptr, QString::fromLatin1(kSetupErrorCaption), SetupErrorText(), PromptIcon::Stop,
                 PromptOk);
      AppSettings->SetRunFlag(false);
      return;
    }
    SerialLink->SetLinkParamA(0);
    SerialLink->SetLinkParamB(5);
    SerialLink->SetScreen(screen);
    SerialLink->SetLinkParamC(600);
    SerialLink->SetLinkParamD(30, 600);

    // Data set, acquisition store, resident forms.
    EcuData = new TEcuData("default");
    DatiMappati = new TDatiMappati();
    FormMain = new TFormMain;
    formMain_ = FormMain;
    formConfig_ = options.createFormConfig ? options.createFormConfig() : PlaceholderForm("FormConfig");
    FormScarica = new TFormScarica(nullptr);
    formFile_ = PlaceholderForm("FormFile");
  }

  void Run(const StartupOptions& options) {
    if (!formMain_) return;
    QEventLoop loop;
    MainWindowWatcher watcher(formMain_, &loop);
    formMain_->show();
    if (options.beforeLoop) options.beforeLoop();
    loop.exec();
  }

  void TearDown() {
    // The resident forms go first: nothing runs in them any more, and their destructors must
    // not meet global objects that are already gone.
    delete formFile_.data();
    delete FormScarica;
    FormScarica = nullptr;
    delete formConfig_.data();
    delete formMain_.data();

    delete AppSettings;  // writes the settings back
    AppSettings = nullptr;
    delete EcuData;
    EcuData = nullptr;
    delete DatiMappati;
    DatiMappati = nullptr;
    if (SerialLink) {
      if (destroyLink_)
        destroyLink_(SerialLink);
      else
        delete SerialLink;
      SerialLink = nullptr;
    }
    destroyLink_ = nullptr;
    if (SerialModule) {
      SerialModule->unload();
      delete SerialModule;
      SerialModule = nullptr;
    }
    FreeLanguageLibrary();
  }

 private:
  // A library that is missing, lacks _CreateClassInstance or hands out no link object counts
  // as missing.
  bool LoadSerialLibrary(const QString& path) {
    auto lib = std::make_unique<QLibrary>(path);
    if (!lib->load()) return false;
    auto create = reinterpret_cast<CreateClassInstanceFn>(lib->resolve("_CreateClassInstance"));
    if (!create) return false;
    destroyLink_ = reinterpret_cast<DestroyClassInstanceFn>(lib->resolve("_DestroyClassInstance"));
    SerialLink = create();
    if (!SerialLink) {
      destroyLink_ = nullptr;
      return false;
    }
    SerialModule = lib.release();
    return true;
  }

  DestroyClassInstanceFn destroyLink_ = nullptr;
  QPointer<QWidget> formMain_;
  QPointer<QWidget> formConfig_;
  QPointer<QWidget> formFile_;
};

}  // namespace

QString SetupErrorText() {
  return QStringLiteral("   It's not possible to procede.\nReinstall the program and try again.");
}

bool PlatformSupported(const QString& kernelType) {
  static const char* const kKernels[] = {"winnt", "linux", "freebsd", "netbsd", "openbsd", "darwin"};
  for (const char* k : kKernels)
    if (kernelType == QLatin1String(k)) return true;
  return false;
}

int RunProgram(const StartupOptions& options) {
  SelectBrand(kThisBuildBrandBit);

  TSingleInstance instance(options.instanceName);
  if (!instance.Claim()) return 0;

  const QString kernel = options.platformKernel.isEmpty() ? QSysInfo::kernelType() : options.platformKernel;
  if (!PlatformSupported(kernel)) {
    ShowPrompt(nullptr, QString::fromLatin1(kOsErrorCaption), QString::fromLatin1(kOsErrorText),
               PromptIcon::Stop, PromptOk);
    return 0;
  }

  QCoreApplication::setApplicationName(QString::fromLatin1(GetBrandTitle()));
  // The loop ends with the main window only, never because some other window closed last.
  const bool quitOnLastWindow = QGuiApplication::quitOnLastWindowClosed();
  QGuiApplication::setQuitOnLastWindowClosed(false);
  QtMessageSink screen;
  SetMessageSink(&screen);
  {
    Program program;
    try {
      program.Start(options, &screen);
      if (AppSettings->GetRunFlag()) program.Run(options);
    } catch (const std::exception& e) {
      ShowException(e);
    } catch (...) {
      ShowUnknownException();
    }
    program.TearDown();
  }
  SetMessageSink(nullptr);
  QGuiApplication::setQuitOnLastWindowClosed(quitOnLastWindow);
  return 0;
}
