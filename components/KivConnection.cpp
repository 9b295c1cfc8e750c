#include "KivConnection.h"

#include <QCoreApplication>
#include <QDir>
#include <QLibrary>

TKivConnection::TKivConnection(QObject* owner) : QObject(owner) {}

TKivConnection::~TKivConnection() {
  if (loaded_) UnloadDll();
}

bool TKivConnection::VersionAccepted(const FILE_VERSION_DATA& v) {
  if (v.major != 4) return v.major > 4;
  if (v.minor != 9) return v.minor > 9;
  return v.release >= 3;
}

bool TKivConnection::ControllaVersioneDll() {
  if (!getDllVersion_) return false;
  FILE_VERSION_DATA v;
  if (!getDllVersion_(&v)) return false;
  return VersionAccepted(v);
}

bool TKivConnection::GetDllVersion(FILE_VERSION_DATA* v) {
  if (!loaded_ || !v || !getDllVersion_) return false;
  return getDllVersion_(v);
}

bool TKivConnection::LoadDll() {
  if (loaded_) return true;
  QString path = dllName_;
  if (QDir::isRelativePath(path) && QCoreApplication::instance())
    path = QDir(QCoreApplication::applicationDirPath()).filePath(path);
  library_ = std::make_unique<QLibrary>(path);
  if (!library_->load()) {
    library_.reset();
    linkObject_ = nullptr;
    return false;
  }
  createClassInstance_ = reinterpret_cast<CreateClassInstanceFn>(library_->resolve("_CreateClassInstance"));
  destroyClassInstance_ =
      reinterpret_cast<DestroyClassInstanceFn>(library_->resolve("_DestroyClassInstance"));
  getDllVersion_ = reinterpret_cast<GetDLLVersionFn>(library_->resolve("_GetDLLVersion"));
  if (createClassInstance_ && destroyClassInstance_ && getDllVersion_ && ControllaVersioneDll()) {
    linkObject_ = createClassInstance_();
    loaded_ = linkObject_ != nullptr;
    if (loaded_) return true;
  }
  FreeLibrary();
  return false;
}

void TKivConnection::UnloadDll() {
  if (!loaded_) return;
  {
    TLinkGuard guard(*this);
    if (linkObject_->IsLinkOpen() == 0)
      linkObject_->CloseLink();
    else
      linkObject_->Disconnect();
    destroyClassInstance_(linkObject_);
    linkObject_ = nullptr;
  }
  FreeLibrary();
}

void TKivConnection::FreeLibrary() {
  if (library_) library_->unload();
  library_.reset();
  createClassInstance_ = nullptr;
  destroyClassInstance_ = nullptr;
  getDllVersion_ = nullptr;
  linkObject_ = nullptr;
  loaded_ = false;
}

void TKivConnection::SetDllName(const QString& name) {
  if (!loaded_) dllName_ = name;
}
