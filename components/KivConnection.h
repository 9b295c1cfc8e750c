#pragma once
// The link component of the data-bound component set: it loads the serial library, checks its
// version, creates the library's link object and owns the lock that serialises every call on
// it. Data objects and the refresher call LoadDll before a transfer and use LinkObject() only
// between Acquire() and Release() (IsLinkOpen may be asked outside the lock). Lock order
// everywhere: the refresher's lock first, then this one.
#include <QObject>
#include <QString>
#include <memory>
#include <mutex>

#include "SerialLink.h"

class QLibrary;

class TKivConnection : public QObject {
 public:
  explicit TKivConnection(QObject* owner = nullptr);
  ~TKivConnection() override;
  TKivConnection(const TKivConnection&) = delete;
  TKivConnection& operator=(const TKivConnection&) = delete;

  // Loads the library named by DllName (a relative name is looked up in the program's folder,
  // the platform's prefix and suffix are added by the loader), checks its three entry points
  // and its version, and creates the link object. True at once when already loaded.
  bool LoadDll();
  // Closes the link (CloseLink when it is not open, Disconnect when it is), destroys the link
  // object and frees the library. Nothing when not loaded.
  void UnloadDll();
  // The library's version record; false when not loaded or the library cannot tell.
  bool GetDllVersion(FILE_VERSION_DATA* v);
  // The loaded library is at least 4.9.3.
  bool ControllaVersioneDll();
  // (major, minor, release) >= (4, 9, 3), compared in that order.
  static bool VersionAccepted(const FILE_VERSION_DATA& v);

  const QString& DllName() const { return dllName_; }
  // Ignored while loaded.
  void SetDllName(const QString& name);
  bool AutoLoadLibrary() const { return autoLoadLibrary_; }
  void SetAutoLoadLibrary(bool v) { autoLoadLibrary_ = v; }

  bool Loaded() const { return loaded_; }
  TSerialLink* LinkObject() const { return linkObject_; }
  // The reentrant lock of the link object.
  std::recursive_mutex& LinkLock() { return linkLock_; }
  void Acquire() { linkLock_.lock(); }
  void Release() { linkLock_.unlock(); }

  static constexpr const char* kDefaultDllName = "SerKivDL";

 private:
  void FreeLibrary();

  TSerialLink* linkObject_ = nullptr;
  bool autoLoadLibrary_ = true;
  QString dllName_ = QString::fromLatin1(kDefaultDllName);
  bool loaded_ = false;
  CreateClassInstanceFn createClassInstance_ = nullptr;
  DestroyClassInstanceFn destroyClassInstance_ = nullptr;
  GetDLLVersionFn getDllVersion_ = nullptr;
  std::unique_ptr<QLibrary> library_;
  std::recursive_mutex linkLock_;
};

// Holds the link lock of a connection for a scope.
class TLinkGuard {
 public:
  explicit TLinkGuard(TKivConnection& c) : lock_(c.LinkLock()) {}

 private:
  std::lock_guard<std::recursive_mutex> lock_;
};
