// Saved export views: the grid key, the file's sections and their numbers,
// applying a view to the column list.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QStringDecoder>
#include <QStringEncoder>
#include <QTemporaryDir>

#include "IniFile.h"
#include "SaveRepView.h"

using namespace zv;

namespace {

const GridNames kMainGrid{QStringLiteral("MainForm"), QStringLiteral("GroupBox1"), QStringLiteral("FamilyGrid")};

QList<ColumnEntry> entries(const QStringList &captions) {
  QList<ColumnEntry> out;
  for (const QString &c : captions) out << ColumnEntry{c, c, true};
  return out;
}

QList<ColumnEntry> numbered(int n) {
  QStringList c;
  for (int i = 0; i < n; ++i) c << QStringLiteral("К%1").arg(i);
  return entries(c);
}

void writeFile(const QString &path, const QString &text) {
  QFile f(path);
  ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  QStringEncoder enc("windows-1251");
  f.write(enc.encode(text));
}

QString readFile(const QString &path) {
  QFile f(path);
  if (!f.open(QIODevice::ReadOnly)) return QString();
  QStringDecoder dec("windows-1251");
  return dec.decode(f.readAll());
}

}  // namespace

TEST(ViewKey, CleansNamesAndCountsColumns) {
  const QList<std::pair<QString, QString>> names = {
      {QStringLiteral("MainForm"), QStringLiteral("MAINFORM")},
      {QStringLiteral("a b!c\"d#e'f*g+h,i-j.k/l:m;n?o\\p_q"), QStringLiteral("ABCDEFGHIJKLMNOPQ")},
      {QStringLiteral("гриД_2€(ё)"), QStringLiteral("ГРИД2€(ё)")},  // ё lies outside а to я
      {QStringLiteral("Ab$%&=9"), QStringLiteral("AB$%&=9")}};
  for (const auto &[in, out] : names) EXPECT_EQ(CleanViewName(in), out) << in.toStdString();
  EXPECT_EQ(GridViewKey(kMainGrid, QStringLiteral("ivan"), 20),
            QStringLiteral("QRNView_MAINFORM_GROUPBOX1_FAMILYGRID_NONAME_ivan_20_0"));
  // the user name goes in unchanged; an empty one leaves two "_" in a row
  EXPECT_EQ(GridViewKey(kMainGrid, QStringLiteral("Ив.Ан"), 3),
            QStringLiteral("QRNView_MAINFORM_GROUPBOX1_FAMILYGRID_NONAME_Ив.Ан_3_0"));
  EXPECT_EQ(GridViewKey(kMainGrid, QString(), 3), QStringLiteral("QRNView_MAINFORM_GROUPBOX1_FAMILYGRID_NONAME__3_0"));
}

TEST(SavedViews, SectionsAsWrittenAndReadBack) {
  QTemporaryDir dir;
  const QString ini = dir.filePath(QStringLiteral("zv_views.ini"));
  TSaveRepViewSettings store;
  store.Load(ini, QStringLiteral("ivan"));
  QList<ColumnEntry> cols = entries({QStringLiteral("  №"), QStringLiteral("Име"), QStringLiteral("ЕГН")});
  cols[0].ticked = false;
  const QString key = GridViewKey(kMainGrid, QStringLiteral("ivan"), 3);
  TSaveRepView *v = store.Create(kMainGrid, key, QStringLiteral("Само имена"), cols);
  EXPECT_EQ(v->Number, 1);  // no "QRNViewMain" yet: numbering starts at 1
  EXPECT_EQ(readFile(ini), QStringLiteral("[%1_1]\r\nGridColCount=3\r\nCOL_NAME_0=  №\r\nCOL_VIS_0=0\r\n"
                                          "COL_NAME_1=Име\r\nCOL_VIS_1=1\r\nCOL_NAME_2=ЕГН\r\nCOL_VIS_2=1\r\n"
                                          "User=ivan\r\nViewName=Само имена\r\n\r\n"
                                          "[QRNViewMain]\r\nSectionCount=1\r\n\r\n")
                               .arg(key));

  TSaveRepViewSettings again;
  again.Load(ini, QStringLiteral("IVAN"));  // users compare without regard to case
  ASSERT_EQ(again.ViewsFor(key.toLower()).size(), 1);
  const TSaveRepView &r = *again.ViewsFor(key).first();
  EXPECT_EQ(r.ViewName, QStringLiteral("Само имена"));
  EXPECT_EQ(r.Number, 1);
  EXPECT_EQ(r.Key, key);
  EXPECT_EQ(r.Columns, (QList<ViewColumn>{{"  №", false}, {"Име", true}, {"ЕГН", true}}));
  EXPECT_FALSE(r.HasDetail());

  // saving a shorter list leaves the keys beyond it in the file, unread
  TSaveRepView *w = again.ViewsFor(key).first();
  again.Save(*w, entries({QStringLiteral("Име")}));
  EXPECT_EQ(IniFile(ini).readString(r.Section, QStringLiteral("COL_NAME_2"), QString()), QStringLiteral("ЕГН"));
  TSaveRepViewSettings third;
  third.Load(ini, QStringLiteral("ivan"));
  EXPECT_EQ(third.views().front()->Columns, (QList<ViewColumn>{{"Име", true}}));
}

TEST(SavedViews, NumbersOnlyGrowAndOddSectionsAreRead) {
  QTemporaryDir dir;
  const QString ini = dir.filePath(QStringLiteral("zv_views.ini"));
  const QString key = GridViewKey(kMainGrid, QStringLiteral("ivan"), 2);
  {
    TSaveRepViewSettings s;
    s.Load(ini, QStringLiteral("ivan"));
    s.Create(kMainGrid, key, QStringLiteral("едно"), numbered(2));
    TSaveRepView *two = s.Create(kMainGrid, key, QStringLiteral("две"), numbered(2));
    EXPECT_EQ(two->Number, 2);
    s.Erase(two);
    EXPECT_EQ(s.Create(kMainGrid, key, QStringLiteral("три"), numbered(2))->Number, 3);
  }
  TSaveRepViewSettings s;
  s.Load(ini, QStringLiteral("ivan"));
  EXPECT_EQ(s.counter(), 3);
  QStringList names;
  for (const TSaveRepView *v : s.ViewsFor(key)) names << v->ViewName + QString::number(v->Number);
  EXPECT_EQ(names, QStringList({"едно1", "три3"}));

  // sections written by hand: missing keys read as their defaults; a name
  // without "_" and digits is a view numbered -1 keyed by the whole name
  writeFile(ini, QStringLiteral("[qrnviewMine]\r\nGridColCount=2\r\nCOL_NAME_0=A\r\n"
                                "[QRNView_X_Y_7]\r\nViewName=седем\r\n"
                                "[Other_5]\r\nViewName=чужд\r\n"));
  TSaveRepViewSettings hand;
  hand.Load(ini, QStringLiteral("NOUSER"));
  ASSERT_EQ(hand.views().size(), 2u);
  const TSaveRepView &odd = *hand.views()[0];
  EXPECT_EQ(odd.Number, -1);
  EXPECT_EQ(odd.Key, QStringLiteral("qrnviewMine"));
  EXPECT_EQ(odd.ViewName, QStringLiteral("NONAME"));
  EXPECT_EQ(odd.User, QStringLiteral("NOUSER"));
  EXPECT_EQ(odd.Columns, (QList<ViewColumn>{{"A", false}, {"NONAME", false}}));
  EXPECT_EQ(hand.ViewsFor(QStringLiteral("QRNVIEWMINE")).size(), 1);
  EXPECT_EQ(hand.views()[1]->Key, QStringLiteral("QRNView_X_Y"));
  EXPECT_EQ(hand.views()[1]->Number, 7);
  // no counter section: numbering starts at 1, passing over numbers in use
  EXPECT_EQ(hand.Create(kMainGrid, key, QStringLiteral("нов"), numbered(2))->Number, 1);
  writeFile(ini, QStringLiteral("[QRNView_X_Y_1]\r\nViewName=едно\r\n"));
  TSaveRepViewSettings taken;
  taken.Load(ini, QStringLiteral("ivan"));
  EXPECT_EQ(taken.Create(kMainGrid, key, QStringLiteral("нов"), numbered(2))->Number, 2);
  EXPECT_EQ(IniFile(ini).readString(QStringLiteral("QRNView_X_Y_1"), QStringLiteral("ViewName"), QString()),
            QStringLiteral("едно"));
}

TEST(SavedViews, ListedByGridKeyAndUser) {
  QTemporaryDir dir;
  const QString ini = dir.filePath(QStringLiteral("zv_views.ini"));
  {
    TSaveRepViewSettings ivan;
    ivan.Load(ini, QStringLiteral("ivan"));
    ivan.Create(kMainGrid, GridViewKey(kMainGrid, QStringLiteral("ivan"), 20), QStringLiteral("двадесет"), numbered(20));
    ivan.Create(kMainGrid, GridViewKey(kMainGrid, QStringLiteral("ivan"), 21), QStringLiteral("двадесет и една"),
                numbered(21));
    TSaveRepViewSettings maria;
    maria.Load(ini, QStringLiteral("maria"));
    maria.Create(kMainGrid, GridViewKey(kMainGrid, QStringLiteral("maria"), 20), QStringLiteral("на Мария"),
                 numbered(20));
  }
  const auto listed = [&](const QString &user, int columns) {
    TSaveRepViewSettings s;
    s.Load(ini, user);
    QStringList out;
    for (const TSaveRepView *v : s.ViewsFor(GridViewKey(kMainGrid, user, columns))) out << v->ViewName;
    return out;
  };
  EXPECT_EQ(listed(QStringLiteral("ivan"), 20), QStringList({"двадесет"}));
  EXPECT_EQ(listed(QStringLiteral("ivan"), 21), QStringList({"двадесет и една"}));
  EXPECT_EQ(listed(QStringLiteral("maria"), 20), QStringList({"на Мария"}));
  EXPECT_EQ(listed(QStringLiteral("maria"), 21), QStringList());
  EXPECT_EQ(listed(QStringLiteral("petar"), 20), QStringList());
}

TEST(SavedViews, ApplyTicksByCaptionWhenTheCountsAgree) {
  TSaveRepView v;
  v.Columns = {{QStringLiteral("ЕГН"), false}, {QStringLiteral("име"), false}, {QStringLiteral("Адрес"), true}};
  QList<ColumnEntry> now = entries({QStringLiteral("Име"), QStringLiteral("Адрес"), QStringLiteral("ЕГН")});
  TSaveRepViewSettings::Apply(v, now);
  // ticks by caption (in any letter case), the order stays
  EXPECT_EQ(now[0].caption, QStringLiteral("Име"));
  EXPECT_EQ((QList<bool>{now[0].ticked, now[1].ticked, now[2].ticked}), (QList<bool>{false, true, false}));

  // a caption that is not stored keeps its tick
  QList<ColumnEntry> other = entries({QStringLiteral("Име"), QStringLiteral("Адрес"), QStringLiteral("Телефон")});
  TSaveRepViewSettings::Apply(v, other);
  EXPECT_EQ((QList<bool>{other[0].ticked, other[1].ticked, other[2].ticked}), (QList<bool>{false, true, true}));

  // other counts: nothing changes
  QList<ColumnEntry> four = numbered(4);
  four[0].caption = QStringLiteral("ЕГН");
  TSaveRepViewSettings::Apply(v, four);
  EXPECT_TRUE(four[0].ticked);
}

TEST(SavedViews, AFileThatCannotBeWrittenKeepsTheViewsInMemory) {
  QTemporaryDir dir;
  // a folder where the file should be: reading gives nothing, writing fails quietly
  const QString ini = dir.filePath(QStringLiteral("zv_views.ini"));
  ASSERT_TRUE(QDir().mkpath(ini));
  TSaveRepViewSettings s;
  s.Load(ini, QStringLiteral("ivan"));
  EXPECT_TRUE(s.views().empty());
  const QString key = GridViewKey(kMainGrid, QStringLiteral("ivan"), 2);
  s.Create(kMainGrid, key, QStringLiteral("в паметта"), numbered(2));
  EXPECT_EQ(s.ViewsFor(key).size(), 1);
  // a name with no Windows-1251 form is not written as question marks
  const QString ok = dir.filePath(QStringLiteral("views.ini"));
  TSaveRepViewSettings t;
  t.Load(ok, QStringLiteral("ivan"));
  t.Create(kMainGrid, key, QStringLiteral("Ω"), numbered(2));
  EXPECT_FALSE(QFile::exists(ok));
  EXPECT_EQ(t.ViewsFor(key).size(), 1);
}

TEST(SavedViews, ADamagedFileIsReadWithinBounds) {
  QTemporaryDir dir;
  const QString ini = dir.filePath(QStringLiteral("zv_views.ini"));
  const QString key = GridViewKey(kMainGrid, QStringLiteral("ivan"), 2);
  struct Case {
    const char *file;
    int counter;           // as read
    int next;              // the number the next view takes
    QStringList columns;   // the captions of the first view, when there is one
  };
  const Case cases[] = {
      // a count of two billion with two lines for columns: cut at the section's lines
      {"[QRNView_A_1]\r\nGridColCount=2000000000\r\nCOL_NAME_0=A\r\n", 0, 2, {"A", "NONAME"}},
      // a section named twice is one view, read from its first place
      {"[QRNView_A_1]\r\nGridColCount=1\r\n[qrnview_a_1]\r\nCOL_NAME_0=B\r\n", 0, 2, {"B"}},
      // the counter at the top of the range starts again at 1, passing over 1
      {"[QRNViewMain]\r\nSectionCount=2147483647\r\n[QRNView_A_1]\r\n", 2147483647, 2, {}},
      // a negative or unreadable counter starts at 0
      {"[QRNViewMain]\r\nSectionCount=-4\r\n", 0, 1, {}},
      {"[QRNViewMain]\r\nSectionCount=пет\r\n", 0, 1, {}},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.file);
    writeFile(ini, QString::fromUtf8(c.file));
    TSaveRepViewSettings s;
    s.Load(ini, QStringLiteral("ivan"));
    EXPECT_EQ(s.counter(), c.counter);
    if (!c.columns.isEmpty()) {
      ASSERT_EQ(s.views().size(), 1u);
      QStringList captions;
      for (const ViewColumn &col : s.views()[0]->Columns) captions << col.first;
      EXPECT_EQ(captions, c.columns);
    }
    EXPECT_EQ(s.Create(kMainGrid, key, QStringLiteral("нов"), numbered(2))->Number, c.next);
  }
}
