// zv-admin search and invalid-egn, run as the real program on a small register.
#include <gtest/gtest.h>

#include <QProcess>

#include "BrowseFixture.h"

namespace {

struct Outcome {
  int code = -1;
  QString out, err;
};

class AdminBrowse : public BrowseFixture {
 protected:
  void SetUp() override {
    BrowseFixture::SetUp();
    const int a = addCard(1, 1, 2);
    addPerson(a, "ИВАН ПЕТРОВ", "8001150000");
    addPerson(a, "МАРИЯ ПЕТРОВА", "0101010070", 2);
    const int b = addCard(2, 0, 0);
    addPerson(b, "ГЕОРГИ ИВАНОВ", "12345");
    const int c = addCard(3, 1, 3);
    addPerson(c, "ПЕТЪР ПЕТРОВ", "7505050005");
    exec("update RGS_CARD set GRUPA = 2 where REG_NUM = 3");
    dm->disconnectCommitting();
  }
  Outcome admin(QStringList args) {
    QProcess p;
    p.start(QStringLiteral(ZV_ADMIN), args);
    Outcome r;
    if (!p.waitForFinished(60000)) return r;
    r.code = p.exitCode();
    r.out = QString::fromUtf8(p.readAllStandardOutput());
    r.err = QString::fromUtf8(p.readAllStandardError());
    return r;
  }
  Outcome search(const QStringList &criteria) {
    return admin(QStringList{"search", "--database", reg.path} + criteria);
  }
};

TEST_F(AdminBrowse, SearchPrintsFilterCaptionAndRows) {
  struct Case {
    QStringList criteria;
    QString out;
  };
  const QList<Case> cases = {
      {{},
       "filter: and P.PERSON_TYPE = 0 \ncaption: Търсене\n"
       "1\tИВАН ПЕТРОВ\t8001150000\n2\tГЕОРГИ ИВАНОВ\t12345\n3\tПЕТЪР ПЕТРОВ\t7505050005\n"},
      {{"--name", "петров", "--kids-from", "2"},
       "filter: and( upper(P.NAME) LIKE '%ПЕТРОВ%') and C.KIDS >= 2\n"
       "caption: Търсене:ПЕТРОВ,деца oт 2\n"
       "1\tИВАН ПЕТРОВ\t8001150000\n1\tМАРИЯ ПЕТРОВА\t0101010070\n3\tПЕТЪР ПЕТРОВ\t7505050005\n"},
      {{"--regnum", "1 or 1=1"},
       "filter: and P.PERSON_TYPE = 0 \ncaption: Търсене\n"
       "1\tИВАН ПЕТРОВ\t8001150000\n2\tГЕОРГИ ИВАНОВ\t12345\n3\tПЕТЪР ПЕТРОВ\t7505050005\n"},
      {{"--egn", "0101"},
       "filter: and P.EGN LIKE '%0101%'\ncaption: Търсене:0101\n1\tМАРИЯ ПЕТРОВА\t0101010070\n"},
      // the caption carries the picked text as the list holds it
      {{"--status", "Вписан в картотеката", "--kids-to", "2"},
       "filter: and P.PERSON_TYPE = 0 and C.KIDS <= 2 and C.STATUS = 1\n"
       "caption: Търсене:деца до 2,Вписан в картотеката    \n1\tИВАН ПЕТРОВ\t8001150000\n"},
      {{"--group", "3 - Живеещи в пренаселени жилища"},
       "filter: and P.PERSON_TYPE = 0 and C.GRUPA = 2\ncaption: Търсене:3 - Живеещи в пренаселени жили\n"
       "3\tПЕТЪР ПЕТРОВ\t7505050005\n"},
      {{"--group", "няма такава"}, "filter: and P.PERSON_TYPE = 0 and C.GRUPA = -1\ncaption: Търсене:\n"},
      {{"--regdate", "01.02.2003", "1.2.2003", "--no-declaration", "01.01.2000", "31.12.2030"},
       "filter: and P.PERSON_TYPE = 0 and ((C.REGDATE >= '01.02.2003') and (C.REGDATE <= '01.02.2003')) and(( "
       "C.LASTDEK_DATE <= '01.01.2000') or (C.LASTDEK_DATE >= '31.12.2030') or (C.LASTDEK_DATE is NULL) )\n"
       "caption: Търсене:по дата,Картони без подадена декларация\n"
       "1\tИВАН ПЕТРОВ\t8001150000\n2\tГЕОРГИ ИВАНОВ\t12345\n3\tПЕТЪР ПЕТРОВ\t7505050005\n"},
  };
  for (const Case &c : cases) {
    const Outcome r = search(c.criteria);
    EXPECT_EQ(r.code, 0) << c.criteria.join(' ').toStdString() << r.err.toStdString();
    EXPECT_EQ(r.out, c.out) << c.criteria.join(' ').toStdString();
  }
}

TEST_F(AdminBrowse, SearchUsageErrors) {
  const QList<QStringList> bad = {{"--regnum", "1", "--name", "x"},
                                  {"--kids-from", "1", "--egn", "8"},
                                  {"--egn", "8", "--regnum", "1"},
                                  {"--regdate", "01.01.2000"},
                                  {"--regdate", "32.01.2000", "01.02.2000"},
                                  {"--colour", "red"},
                                  {"extra"}};
  for (const QStringList &args : bad) {
    const Outcome r = search(args);
    EXPECT_EQ(r.code, 2) << args.join(' ').toStdString();
    EXPECT_TRUE(r.out.isEmpty()) << args.join(' ').toStdString();
    EXPECT_TRUE(r.err.contains("usage: zv-admin search")) << args.join(' ').toStdString();
  }
  EXPECT_EQ(admin({"search", "--name", "x"}).code, 2);
}

TEST_F(AdminBrowse, InvalidEgnListsPersonsInRegistrationOrder) {
  const Outcome r = admin({"invalid-egn", "--database", reg.path});
  EXPECT_EQ(r.code, 0) << r.err.toStdString();
  EXPECT_EQ(r.out, "1\tМАРИЯ ПЕТРОВА\t0101010070\n2\tГЕОРГИ ИВАНОВ\t12345\n2 невалидни ЕГН-та\n");
  EXPECT_EQ(admin({"invalid-egn"}).code, 2);
}

}  // namespace
