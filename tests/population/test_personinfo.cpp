// The person service client: the register's dates, the conversation with a
// service object, and the service this installation runs over its data file.
#include <gtest/gtest.h>
#include <fcntl.h>
#include <sys/stat.h>

#include <QDate>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "PersInfoLib_TLB.h"
#include "PersonInfo.h"
#include "PopulationFile.h"

namespace {

TEST(ParseRegisterDate, EightDigitsNamingARealDay) {
  struct Case {
    const char *text;
    QDate want;  // invalid: no date
  };
  const Case cases[] = {
      {"20050201", QDate(2005, 2, 1)}, {"20240229", QDate(2024, 2, 29)}, {"20050231", QDate()},
      {"20230229", QDate()},           {"20051301", QDate()},            {"00000101", QDate()},
      {"2005021", QDate()},            {"200502011", QDate()},           {"2005O201", QDate()},
      {"2005-2-1", QDate()},           {" 2005021", QDate()},            {"", QDate()},
  };
  for (const Case &c : cases) {
    const zv::TDate d = zv::ParseRegisterDate(QString::fromUtf8(c.text));
    if (c.want.isValid())
      EXPECT_EQ(zv::toQDate(d), c.want) << c.text;
    else
      EXPECT_EQ(d, 0) << c.text;
  }
}

// ------------------------------------------------------------ a service object of the test's own

// Answers from a table; records every call. For "MiddleName" it fails
// without touching the output string.
struct FakeService : IPersonInfo {
  int refs = 1;
  std::u16string known = u"7501020018";
  std::vector<std::u16string> keys;
  int finds = 0;

  static FakeService *of(IPersonInfo *p) { return static_cast<FakeService *>(p); }
  static PIResult qi(IPersonInfo *, const PIGuid *, void **) { return PI_E_NOINTERFACE; }
  static std::uint32_t addRef(IPersonInfo *p) { return ++of(p)->refs; }
  static std::uint32_t release(IPersonInfo *p) { return --of(p)->refs; }
  static PIResult find(IPersonInfo *p, const PIWideChar *egn) {
    ++of(p)->finds;
    return std::u16string(egn) == of(p)->known ? PI_S_OK : 7;
  }
  static PIResult get(IPersonInfo *p, const PIWideChar *key, PIWideChar **value) {
    const std::u16string k(key);
    of(p)->keys.push_back(k);
    if (k == u"MiddleName") return PI_E_FAIL;
    std::u16string v = k == u"PAddrDate" ? u"20050201" : k == u"IdDocDate" ? u"20050231" : u"«" + k + u"»";
    *value = static_cast<PIWideChar *>(std::malloc((v.size() + 1) * sizeof(PIWideChar)));
    std::memcpy(*value, v.c_str(), (v.size() + 1) * sizeof(PIWideChar));
    return PI_S_OK;
  }
  inline static const IPersonInfoVtbl kVtbl = {qi, addRef, release, find, get};
  FakeService() { lpVtbl = &kVtbl; }
};

TEST(PersonInfoClient, ReadsEveryKeyInOrderAndEmptiesTheOutputBeforeEachCall) {
  FakeService fake;
  {
    TPersonInfo info(&fake);
    EXPECT_EQ(fake.refs, 2);
    ASSERT_TRUE(info.Lookup(QStringLiteral("7501020018")));

    const QStringList want{
        "FirstName",           "MiddleName",      "LastName",          "PAddrDistrict",     "PAddrMunicipality",
        "PAddrPopulatedPlace", "PAddrStreet",     "PAddrNumber",       "PAddrEntrance",     "PAddrFloor",
        "PAddrAppartment",     "PAddrDate",       "CAddrDistrict",     "CAddrMunicipality", "CAddrPopulatedPlace",
        "CAddrStreet",         "CAddrNumber",     "CAddrEntrance",     "CAddrFloor",        "CAddrAppartment",
        "CAddrDate",           "Sitizenship",     "Sitizenship2",      "IdDocNumber",       "IdDocDate",
        "IdDocRPU",            "IdDocRDVR",       "IdDocPopulatedPlace", "BAddrPopulatedPlace"};
    QStringList asked;
    for (const std::u16string &k : fake.keys) asked << QString::fromStdU16String(k);
    EXPECT_EQ(asked, want);
    EXPECT_EQ(TPersonInfo::Keys(), want);

    EXPECT_EQ(info.Values.FirstName, QStringLiteral("«FirstName»"));
    EXPECT_EQ(info.Values.MiddleName, QString()) << "a failed read must not show the previous key's value";
    EXPECT_EQ(info.Values.BAddrPopulatedPlace, QStringLiteral("«BAddrPopulatedPlace»"));
    EXPECT_EQ(zv::toQDate(info.Values.PAddrDate), QDate(2005, 2, 1));
    EXPECT_EQ(info.Values.IdDocDate, 0);  // 31 February

    // Not found: nothing is read and the values stay as they were.
    fake.keys.clear();
    EXPECT_FALSE(info.Lookup(QStringLiteral("0000000000")));
    EXPECT_TRUE(fake.keys.empty());
    EXPECT_EQ(info.Values.FirstName, QStringLiteral("«FirstName»"));
    EXPECT_EQ(fake.finds, 2);
  }
  EXPECT_EQ(fake.refs, 1) << "the client releases what it took";
}

// ------------------------------------------------------------ the service over its file

TEST(PersonService, ReadsTheFileWhateverItsColumnOrder) {
  PopulationFile pop;
  // Columns in another order, one key missing, Windows line ends and a
  // byte-order mark; a number as the register's fixed-width column pads it.
  pop.writeRaw(QByteArray("\xEF\xBB\xBF") +
               QStringLiteral("LastName\tFirstName\tEGN\tPAddrDate\r\n"
                              "Петрова\tМария\t7501020018\t20050201\r\n"
                              "Иванов\tИван\t750102001\t2005\r\n"
                              "Друга\tПовторена\t7501020018\t\r\n")
                   .toUtf8());
  TPersonInfo info;
  ASSERT_TRUE(info.HasService());
  ASSERT_TRUE(info.Lookup(QStringLiteral("7501020018")));
  EXPECT_EQ(info.Values.FirstName, QStringLiteral("Мария"));
  EXPECT_EQ(info.Values.LastName, QStringLiteral("Петрова")) << "no carriage return at the line end";
  EXPECT_EQ(info.Values.MiddleName, QString());
  EXPECT_EQ(zv::toQDate(info.Values.PAddrDate), QDate(2005, 2, 1));

  ASSERT_TRUE(info.Lookup(QStringLiteral("750102001 ")));
  EXPECT_EQ(info.Values.FirstName, QStringLiteral("Иван"));
  EXPECT_EQ(info.Values.PAddrDate, 0);
  EXPECT_FALSE(info.Lookup(QStringLiteral("1111111111")));
  EXPECT_FALSE(info.Lookup(QString()));
}

TEST(PersonService, NoServiceRaisesAtTheFirstLookup) {
  const auto raises = [](const char *what) {
    TPersonInfo info;  // constructing never throws
    EXPECT_FALSE(info.HasService()) << what;
    try {
      info.Lookup(QStringLiteral("7501020018"));
      ADD_FAILURE() << what << ": no error";
    } catch (const zv::PersonInfoUnavailable &e) {
      EXPECT_EQ(QString::fromUtf8(e.what()), QStringLiteral("НЯМА ВРЪЗКА С ЛБД!")) << what;
    }
  };
  {
    PopulationFile pop;  // named but never written
    raises("missing file");
    pop.writeRaw("FirstName\tLastName\nИван\tИванов\n");
    raises("file without an EGN column");
    pop.writeRaw("");
    raises("empty file");
    pop.write({named(QStringLiteral("7501020018"), QStringLiteral("Иван"), QString(), QString())});
    zv::SetPersonInfoLibraryName(QStringLiteral("libNoSuchService.so"));
    raises("missing library");
    zv::SetPersonInfoLibraryName(QString());
    TPersonInfo info;
    EXPECT_TRUE(info.HasService());
  }
  const QByteArray data = qgetenv("ZV_PERSONINFO_DATA"), home = qgetenv("HOME"), xdg = qgetenv("XDG_CONFIG_HOME");
  qunsetenv("ZV_PERSONINFO_DATA");
  qputenv("HOME", "/nonexistent-home");
  qunsetenv("XDG_CONFIG_HOME");
  EXPECT_EQ(zv::PersonInfoDataFile(), QStringLiteral("/nonexistent-home/.config/QuorinZV/personinfo.tsv"));
  raises("no file in the configuration folder");
  qputenv("ZV_PERSONINFO_DATA", data);
  qputenv("HOME", home);
  if (!xdg.isEmpty()) qputenv("XDG_CONFIG_HOME", xdg);
}

TEST(PersonService, KeepsTheLoadedFileUntilItChanges) {
  PopulationFile pop;
  const auto firstNameOf = [](const QString &egn) {
    TPersonInfo info;
    return info.Lookup(egn) ? info.Values.FirstName : QStringLiteral("(not found)");
  };
  pop.write({named(QStringLiteral("7501020018"), QStringLiteral("Иван"), QString(), QString())});
  ASSERT_EQ(firstNameOf(QStringLiteral("7501020018")), QStringLiteral("Иван"));
  struct stat before {};
  ASSERT_EQ(::stat(QFile::encodeName(pop.path).constData(), &before), 0);

  // Same size, the modification time put back: the kept copy answers, so the
  // file was not read again.
  pop.write({named(QStringLiteral("7501020018"), QStringLiteral("Пейо"), QString(), QString())});
  const timespec times[2] = {before.st_atim, before.st_mtim};
  ASSERT_EQ(::utimensat(AT_FDCWD, QFile::encodeName(pop.path).constData(), times, 0), 0);
  EXPECT_EQ(firstNameOf(QStringLiteral("7501020018")), QStringLiteral("Иван"));

  // A real change is seen by the next service object.
  pop.write({named(QStringLiteral("7501020018"), QStringLiteral("Стоян"), QString(), QString()),
             named(QStringLiteral("8001010000"), QStringLiteral("Нов"), QString(), QString())});
  EXPECT_EQ(firstNameOf(QStringLiteral("7501020018")), QStringLiteral("Стоян"));
  EXPECT_EQ(firstNameOf(QStringLiteral("8001010000")), QStringLiteral("Нов"));
}

}  // namespace
