#include "LoginCall.h"

#include <dlfcn.h>

#include <QFile>
#include <memory>

#include "LibraryPath.h"
#include "QrnLogin.h"

namespace {

const QString kDefaultLibrary = QStringLiteral("libQrnLogin.so");
QString gLibraryName = kDefaultLibrary;
std::unique_ptr<TLogInfoRec> gRecord;

// Lists with more entries than this are not fetched: the count came from the
// library and sizes an allocation.
constexpr std::int32_t kMaxListEntries = 65535;

// One load of the library, unloaded when it goes out of scope.
class LoadedLibrary {
 public:
  explicit LoadedLibrary(const QString &fileName)
      : handle_(dlopen(zv::libraryPath(fileName).constData(), RTLD_NOW)) {}
  ~LoadedLibrary() {
    if (handle_) dlclose(handle_);
  }
  LoadedLibrary(const LoadedLibrary &) = delete;
  LoadedLibrary &operator=(const LoadedLibrary &) = delete;

  bool loaded() const { return handle_ != nullptr; }
  template <typename Fn>
  Fn find(const char *name) const {
    return handle_ ? reinterpret_cast<Fn>(dlsym(handle_, name)) : nullptr;
  }

 private:
  void *handle_;
};

void fetchList(TLogInfoRec *rec, GetListFn get, int countOffset, int fieldOffset, int entrySize) {
  const std::int32_t count = logrec::readInt(rec->data(), countOffset);
  if (!get || count <= 0 || count > kMaxListEntries) return;
  unsigned char *storage = rec->attachList(fieldOffset, count, entrySize);
  get(rec->data() + fieldOffset, storage);
}

}  // namespace

LoginLibraryMissing::LoginLibraryMissing(const QString &fileName)
    : std::runtime_error(QStringLiteral("Missing %1.").arg(fileName).toStdString()) {}

TLogInfoRec::TLogInfoRec() {
  bytes_.fill(0);
  logrec::writeInt(data(), logrec::UsersCount, -1);
  logrec::writeInt(data(), logrec::RightsCount, -1);
}

unsigned char *TLogInfoRec::attachList(int fieldOffset, int count, int entrySize) {
  // A handle names the storage within this record: a number from one
  // counter, never zero, so a stale handle is never mistaken for a new one.
  static std::uint32_t lastHandle = 0;
  if (++lastHandle == 0) ++lastHandle;
  QByteArray &list = fieldOffset == logrec::Users ? users_ : rights_;
  list = QByteArray(static_cast<qsizetype>(count) * entrySize, '\0');
  logrec::writeHandle(data(), fieldOffset, lastHandle);
  return reinterpret_cast<unsigned char *>(list.data());
}

TLogInfoRec *NewLoginRecord() {
  gRecord = std::make_unique<TLogInfoRec>();
  return gRecord.get();
}

void FreeLoginRecord() { gRecord.reset(); }

TLogInfoRec *LoginRecord() { return gRecord.get(); }

void SetLoginLibraryName(const QString &fileName) {
  gLibraryName = fileName.isEmpty() ? kDefaultLibrary : fileName;
}

QString LoginLibraryName() { return gLibraryName; }

bool CallExternalLogin(const QString &appCode, const QString &appName, int flag1, int flag2, TLogInfoRec *rec,
                       QWidget *window) {
  const LoadedLibrary lib(gLibraryName);
  if (!lib.loaded()) throw LoginLibraryMissing(gLibraryName);
  const auto login = lib.find<ExternalLoginFn>("ExternalLogin");
  const auto getRights = lib.find<GetListFn>("GetUserRights");
  const auto getUsers = lib.find<GetListFn>("GetAppUsersList");
  const auto setNames = lib.find<SetClientNamesFn>("SetClientNames");
  if (!login || !rec) return false;
  if (setNames) setNames(nullptr, nullptr);
  // Zero-terminated Windows-1251 texts, as the library reads them.
  const QByteArray code = fb::toWin1251(appCode);
  const QByteArray name = fb::toWin1251(appName);
  const bool ok = login(window, code.constData(), name.constData(), flag1, flag2, rec->data()) != 0;
  fetchList(rec, getRights, logrec::RightsCount, logrec::Rights, logrec::kRightEntrySize);
  fetchList(rec, getUsers, logrec::UsersCount, logrec::Users, logrec::kUserEntrySize);
  return ok;
}

void CallExternalChangePWD(QWidget *window) {
  TLogInfoRec *rec = LoginRecord();
  if (!rec) return;
  const LoadedLibrary lib(gLibraryName);
  const auto change = lib.find<ExternalChangePWDFn>("ExternalChangePWD");
  if (!change) return;
  // The record's texts go back as the library wrote them.
  const QByteArray arg = logrec::readBytes(rec->data(), logrec::PasswordChangeArg);
  const QByteArray login = logrec::readBytes(rec->data(), logrec::LoginName);
  const QByteArray title = fb::toWin1251(QStringLiteral("Куорин ЗВ"));
  change(window, "ZV", arg.constData(), login.constData(), title.constData());
}
