#include "SaveRepView.h"

#include <algorithm>
#include <limits>

#include "IniFile.h"

namespace zv {

namespace {
const QString kNoName = QStringLiteral("NONAME");

QList<ViewColumn> columnsOf(const QList<ColumnEntry> &entries) {
  QList<ViewColumn> out;
  for (const ColumnEntry &e : entries) out << ViewColumn{e.caption, e.ticked};
  return out;
}

using Sections = std::vector<IniFile::Section>;

// A view's columns as stored: the count, then a caption and a tick per column.
// A count beyond the section's lines (`lines`) can only come from a damaged
// file, since each stored column has a line of its own; it is cut there, so
// that a count of two billion neither hangs the export window nor eats the
// memory.
QList<ViewColumn> readColumns(const Sections &secs, const QString &section, qsizetype lines, const QString &countKey,
                              const QString &nameKey, const QString &tickKey) {
  bool ok = false;
  qsizetype n = IniFile::lookup(secs, section, countKey, QStringLiteral("0")).trimmed().toInt(&ok);
  if (!ok || n < 0) n = 0;
  n = std::min(n, lines);
  QList<ViewColumn> out;
  out.reserve(n);
  for (qsizetype i = 0; i < n; ++i)
    out << ViewColumn{IniFile::lookup(secs, section, nameKey + QString::number(i), kNoName),
                      IniFile::lookup(secs, section, tickKey + QString::number(i), QStringLiteral("0")).trimmed() ==
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
  const Sections secs = IniFile(iniFile_).snapshot();
  bool ok = false;
  counter_ = IniFile::lookup(secs, kMainSection, QStringLiteral("SectionCount"), QStringLiteral("0")).trimmed().toInt(&ok);
  // Numbers handed out are 1 and up; a damaged counter starts again at 0.
  if (!ok || counter_ < 0) counter_ = 0;
  for (auto it = secs.cbegin(); it != secs.cend(); ++it) {
    const QString &section = it->name;
    if (section.left(7).compare(QLatin1String("QRNView"), Qt::CaseInsensitive) != 0) continue;
    if (section.compare(kMainSection, Qt::CaseInsensitive) == 0) continue;
    const auto sameName = [&](const IniFile::Section &o) { return o.name.compare(section, Qt::CaseInsensitive) == 0; };
    // A section named twice is read from its first place: one view.
    if (std::any_of(secs.cbegin(), it, sameName)) continue;
    qsizetype lines = 0;
    for (const IniFile::Section &same : secs)
      if (sameName(same)) lines += static_cast<qsizetype>(same.entries.size());
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
    v->Columns = readColumns(secs, section, lines, QStringLiteral("GridColCount"), QStringLiteral("COL_NAME_"),
                             QStringLiteral("COL_VIS_"));
    v->DetailColumns = readColumns(secs, section, lines, QStringLiteral("GridColCountD"), QStringLiteral("COL_NAMED_"),
                                   QStringLiteral("COL_VISD_"));
    v->User = IniFile::lookup(secs, section, QStringLiteral("User"), QStringLiteral("NOUSER"));
    v->ViewName = IniFile::lookup(secs, section, QStringLiteral("ViewName"), kNoName);
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
  // At the top of the range numbering starts again at 1.
  do {
    counter_ = counter_ < std::numeric_limits<int>::max() ? counter_ + 1 : 1;
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

// The section and the counter are written at once; a file that cannot be
// written is let go (the view stays listed for as long as the window is open).
void TSaveRepViewSettings::write(const TSaveRepView &view) {
  if (iniFile_.isEmpty()) return;
  // A text with no Windows-1251 form cannot be stored as it is: such a view
  // is kept in memory only, never written as question marks.
  QStringList texts{view.User, view.ViewName, view.Section};
  for (const ViewColumn &c : view.Columns) texts << c.first;
  for (const ViewColumn &c : view.DetailColumns) texts << c.first;
  for (const QString &t : texts)
    for (const QChar ch : t)
      if (Cp1251Code(ch.unicode()) < 0) return;
  const QString &s = view.Section;
  const auto tick = [](bool on) { return on ? QStringLiteral("1") : QStringLiteral("0"); };
  std::vector<IniFile::Entry> out;
  out.push_back({s, QStringLiteral("GridColCount"), QString::number(view.Columns.size())});
  for (qsizetype i = 0; i < view.Columns.size(); ++i) {
    out.push_back({s, QStringLiteral("COL_NAME_") + QString::number(i), view.Columns[i].first});
    out.push_back({s, QStringLiteral("COL_VIS_") + QString::number(i), tick(view.Columns[i].second)});
  }
  if (view.HasDetail()) {
    out.push_back({s, QStringLiteral("GridColCountD"), QString::number(view.DetailColumns.size())});
    for (qsizetype i = 0; i < view.DetailColumns.size(); ++i) {
      out.push_back({s, QStringLiteral("COL_NAMED_") + QString::number(i), view.DetailColumns[i].first});
      out.push_back({s, QStringLiteral("COL_VISD_") + QString::number(i), tick(view.DetailColumns[i].second)});
    }
  }
  out.push_back({s, QStringLiteral("User"), view.User});
  out.push_back({s, QStringLiteral("ViewName"), view.ViewName});
  out.push_back({kMainSection, QStringLiteral("SectionCount"), QString::number(counter_)});
  IniFile(iniFile_).writeStrings(out);
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
