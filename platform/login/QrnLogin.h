#pragma once
// The calls of the login library libQrnLogin.so. The program loads the library
// by file name for each login and each password change and looks these names
// up; it never links against it.
//
// Texts are zero-terminated Windows-1251 strings (any of them may be null).
// The window argument is the caller's QWidget* (or null); the library's
// dialogs are modal children of it. The caller must have created the
// QApplication.
#include "LogInfoRec.h"

#define QRNLOGIN_EXPORT extern "C" __attribute__((visibility("default")))

// Layout of the list entries (the program keeps them but does not read them).
namespace logrec {
// A user entry of 108 bytes: three length-prefixed texts.
constexpr TextField UserEntryLogin{0, 35};
constexpr TextField UserEntryName{36, 50};
constexpr TextField UserEntryRole{87, 20};
static_assert(UserEntryRole.offset + 1 + UserEntryRole.maxChars == kUserEntrySize);
// A rights entry of 255 bytes: one length-prefixed text "<application code>:<right>".
constexpr TextField RightEntryText{0, 254};
}  // namespace logrec

// Shows the login dialog until the user logs in (returns 1, the record filled)
// or cancels (returns 0). After five wrong passwords in a row for a login name
// each further try must wait (1 s, doubling, at most 30 s; kept in the
// register, see LoginThrottle.h); a try within the wait is refused at once. `record` is the 1932-byte login record. The two
// flags are reserved; the program passes 1, 1.
QRNLOGIN_EXPORT unsigned char ExternalLogin(void *window, const char *appCode, const char *appName, int flag1,
                                            int flag2, void *record);

// Names of the calling client, kept for the dialogs' captions; both may be null.
QRNLOGIN_EXPORT void SetClientNames(const char *clientName, const char *clientTitle);

// Fill the lists of the last successful login. `rightsField` / `usersField`
// is the address of the record's Rights / Users field; the entry count is read
// from the record (RightsCount / UsersCount). `entries` is the program's
// storage for that many entries of 255 / 108 bytes: the record's field only
// holds a 32-bit handle of it, since an address does not fit.
QRNLOGIN_EXPORT void GetUserRights(void *rightsField, void *entries);
QRNLOGIN_EXPORT void GetAppUsersList(void *usersField, void *entries);

// Asks for the old password and a new one (twice) for `loginName` and stores
// the new password's hash. The new one has at least 8 characters and is not
// the login name; wrong old passwords count and wait as at the login. `passwordChangeArg` is what ExternalLogin put in the
// record's PasswordChangeArg: the path of the library's configuration file.
// Returns 1 when the password was changed, 0 otherwise.
QRNLOGIN_EXPORT unsigned char ExternalChangePWD(void *window, const char *appCode, const char *passwordChangeArg,
                                                const char *loginName, const char *appTitle);

using ExternalLoginFn = unsigned char (*)(void *, const char *, const char *, int, int, void *);
using SetClientNamesFn = void (*)(const char *, const char *);
using GetListFn = void (*)(void *, void *);
using ExternalChangePWDFn = unsigned char (*)(void *, const char *, const char *, const char *, const char *);
