#include "SaveRepView.h"

#include <algorithm>

#include "IniFile.h"

namespace zv {

namespace {
const QString kNoName = QStringLiteral("NONAME");

QList<ViewColumn> columnsOf(const QList<ColumnEntry> &entries) {
  QList<ViewColumn> out;
  for (const ColumnEntry &e : entries) out << ViewColumn{e.caption, e.ticked};
  return out;
}

QList<ViewColumn> readColumns(const IniFile &ini, const QString &section, const QString &countKey,
                              const QString &nameKey, const QString &tickKey) {
  bool ok = false;
  int n = ini.readString(section, countKey, QStringLiteral("0")).trimmed().toInt(&ok);
  if (!ok || n < 0) n = 0;
  QList<ViewColumn> out;
  for (int i = 0; i < n; ++i)
    out << ViewColumn{ini.readString(section, nameKey + QString::number(i), kNoName),
                      ini.readString(section, tickKey + QString::number(i), QStringLiteral("0")).trimmed() ==
                          QLatin1String("1")};
  return out;
}
}  // namespace

QString CleanViewName(const QString &name) {
  static const QString dropped = QStringLiteral(" !\"#'*+,-./:;?\\_");
  QString out;
  out.reserve(name.size());
  for (const QChar ch : name) {
    if (dropped.contains(ch)) continue;
    const char16_t c = ch.unicode();
    if (c >= u'a' && c <= u'z') {
      out += QChar(c - u'a' + u'A');
    } else if (c >= u'а' && c <= u'я') {  // Windows-1251 224 to 255
      out += QChar(c - u'а' + u'А');
    } else {
      out += ch;
    }
  }
  return out;
}

QString GridViewKey(const GridNames &names, const QString &user, int columns, int detailColumns) {
  return QStringLiteral("QRNView_%1_%2_%3_%4_%5_%6_%7")
      .arg(CleanViewName(names.form), CleanViewName(names.parent), CleanViewName(names.grid),
           CleanViewName(names.detail), user)
      .arg(columns)
      .arg(detailColumns);
}

QString ViewsFilePath() { return UserSettingsDir() + QStringLiteral("zv_views.ini"); }

void TSaveRepViewSettings::Load(const QString &iniFile, const QString &userName) {
  iniFile_ = iniFile;
  user_ = userName;
  views_.clear();
  counter_ = 0;
  if (iniFile_.isEmpty()) return;
  const IniFile ini(iniFile_);
  bool ok = false;
  counter_ = ini.readString(kMainSection, QStringLiteral("SectionCount"), QStringLiteral("0")).trimmed().toInt(&ok);
  if (!ok) counter_ = 0;
  for (const QString &section : ini.sections()) {
    if (section.left(7).compare(QLatin1String("QRNView"), Qt::CaseInsensitive) != 0) continue;
    if (section.compare(kMainSection, Qt::CaseInsensitive) == 0) continue;
    auto v = std::make_unique<TSaveRepView>();
    v->Section = section;
    const qsizetype cut = section.lastIndexOf(QLatin1Char('_'));
    bool numbered = false;
    const int number = cut >= 0 ? section.mid(cut + 1).toInt(&numbered) : 0;
    if (numbered) {
      v->Key = section.left(cut);
      v->Number = number;
    } else {
      v->Key = section;
      v->Number = -1;
    }
    v->Columns = readColumns(ini, section, QStringLiteral("GridColCount"), QStringLiteral("COL_NAME_"),
                             QStringLiteral("COL_VIS_"));
    v->DetailColumns = readColumns(ini, section, QStringLiteral("GridColCountD"), QStringLiteral("COL_NAMED_"),
                                   QStringLiteral("COL_VISD_"));
    v->User = ini.readString(section, QStringLiteral("User"), QStringLiteral("NOUSER"));
    v->ViewName = ini.readString(section, QStringLiteral("ViewName"), kNoName);
    views_.push_back(std::move(v));
  }
}

QList<TSaveRepView *> TSaveRepViewSettings::ViewsFor(const QString &gridKey) const {
  QList<TSaveRepView *> out;
  for (const auto &v : views_)
    if (v->Key.compare(gridKey, Qt::CaseInsensitive) == 0 && v->User.compare(user_, Qt::CaseInsensitive) == 0)
      out << v.get();
  return out;
}

TSaveRepView *TSaveRepViewSettings::Create(const GridNames &names, const QString &gridKey, const QString &viewName,
                                           const QList<ColumnEntry> &entries) {
  auto v = std::make_unique<TSaveRepView>();
  v->GridName = names.grid;
  v->GridParentName = names.parent;
  v->FormName = names.form;
  v->DetailName = kNoName;
  v->User = user_;
  v->Key = gridKey;
  v->ViewName = viewName;
  v->Columns = columnsOf(entries);
  // A number still in use (the counter lost or edited by hand) is passed
  // over, so that no other view's section is overwritten.
  do {
    ++counter_;
  } while (std::any_of(views_.begin(), views_.end(), [&](const auto &o) { return o->Number == counter_; }));
  v->Number = counter_;
  v->Section = QStringLiteral("%1_%2").arg(gridKey).arg(v->Number);
  TSaveRepView *made = v.get();
  views_.push_back(std::move(v));
  write(*made);
  return made;
}

void TSaveRepViewSettings::Save(TSaveRepView &view, const QList<ColumnEntry> &entries) {
  view.Columns = columnsOf(entries);
  write(view);
}

void TSaveRepViewSettings::Erase(TSaveRepView *view) {
  const auto it = std::find_if(views_.begin(), views_.end(), [&](const auto &v) { return v.get() == view; });
  if (it == views_.end()) return;
  if (!iniFile_.isEmpty()) IniFile(iniFile_).eraseSection((*it)->Section);
  views_.erase(it);
}

// Written key by key; a key that cannot be written is let go (the view
// stays listed for as long as the window is open).
void TSaveRepViewSettings::write(const TSaveRepView &view) {
  if (iniFile_.isEmpty()) return;
  // A text with no Windows-1251 form would stop the writing half-way and
  // leave a broken section behind: such a view is kept in memory only.
  QStringList texts{view.User, view.ViewName, view.Section};
  for (const ViewColumn &c : view.Columns) texts << c.first;
  for (const ViewColumn &c : view.DetailColumns) texts << c.first;
  for (const QString &t : texts)
    for (const QChar ch : t)
      if (Cp1251Code(ch.unicode()) < 0) return;
  IniFile ini(iniFile_);
  const QString &s = view.Section;
  ini.writeString(s, QStringLiteral("GridColCount"), QString::number(view.Columns.size()));
  for (qsizetype i = 0; i < view.Columns.size(); ++i) {
    ini.writeString(s, QStringLiteral("COL_NAME_") + QString::number(i), view.Columns[i].first);
    ini.writeString(s, QStringLiteral("COL_VIS_") + QString::number(i),
                    view.Columns[i].second ? QStringLiteral("1") : QStringLiteral("0"));
  }
  if (view.HasDetail()) {
    ini.writeString(s, QStringLiteral("GridColCountD"), QString::number(view.DetailColumns.size()));
    for (qsizetype i = 0; i < view.DetailColumns.size(); ++i) {
      ini.writeString(s, QStringLiteral("COL_NAMED_") + QString::number(i), view.DetailColumns[i].first);
      ini.writeString(s, QStringLiteral("COL_VISD_") + QString::number(i),
                      view.DetailColumns[i].second ? QStringLiteral("1") : QStringLiteral("0"));
    }
  }
  ini.writeString(s, QStringLiteral("User"), view.User);
  ini.writeString(s, QStringLiteral("ViewName"), view.ViewName);
  ini.writeString(kMainSection, QStringLiteral("SectionCount"), QString::number(counter_));
}

void TSaveRepViewSettings::Apply(const TSaveRepView &view, QList<ColumnEntry> &entries) {
  if (view.Columns.size() != entries.size()) return;
  for (const ViewColumn &stored : view.Columns)
    for (ColumnEntry &e : entries)
      if (e.caption.compare(stored.first, Qt::CaseInsensitive) == 0) {
        e.ticked = stored.second;
        break;
      }
}

}  // namespace zv
