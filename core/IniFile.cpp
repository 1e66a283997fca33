#include "IniFile.h"

#include <algorithm>

#include <QDir>
#include <QFile>
#include <QSaveFile>
#include <QStringDecoder>
#include <QStringEncoder>

IniFile::IniFile(QString path) : path_(std::move(path)) {}

std::vector<IniFile::Section> IniFile::load() const {
  std::vector<Section> secs;
  QFile f(path_);
  if (!f.open(QIODevice::ReadOnly)) return secs;
  QStringDecoder dec("windows-1251");
  const QString text = dec.decode(f.readAll());
  Section *cur = nullptr;
  for (QString line : text.split(QLatin1Char('\n'))) {
    if (line.endsWith(QLatin1Char('\r'))) line.chop(1);
    const QString t = line.trimmed();
    if (t.isEmpty() || t.startsWith(QLatin1Char(';'))) continue;
    if (t.startsWith(QLatin1Char('[')) && t.endsWith(QLatin1Char(']'))) {
      secs.push_back(Section{t.mid(1, t.size() - 2), {}});
      cur = &secs.back();
      continue;
    }
    const int eq = line.indexOf(QLatin1Char('='));
    if (eq < 0 || !cur) continue;
    cur->entries.emplace_back(line.left(eq).trimmed(), line.mid(eq + 1));
  }
  return secs;
}

bool IniFile::save(const std::vector<Section> &secs) const {
  QString text;
  for (const Section &s : secs) {
    text += QLatin1Char('[') + s.name + QStringLiteral("]\r\n");
    for (const auto &[k, v] : s.entries) text += k + QLatin1Char('=') + v + QStringLiteral("\r\n");
    text += QStringLiteral("\r\n");
  }
  QStringEncoder enc("windows-1251");
  const QByteArray bytes = enc.encode(text);
  if (enc.hasError()) return false;
  QSaveFile f(path_);
  if (!f.open(QIODevice::WriteOnly)) return false;
  f.write(bytes);
  return f.commit();
}

QString IniFile::readString(const QString &section, const QString &key, const QString &fallback) const {
  return lookup(load(), section, key, fallback);
}

QString IniFile::lookup(const std::vector<Section> &secs, const QString &section, const QString &key,
                        const QString &fallback) {
  for (const Section &s : secs)
    if (s.name.compare(section, Qt::CaseInsensitive) == 0)
      for (const auto &[k, v] : s.entries)
        if (k.compare(key, Qt::CaseInsensitive) == 0) return v;
  return fallback;
}

QStringList IniFile::sections() const {
  QStringList out;
  for (const Section &s : load()) out << s.name;
  return out;
}

QStringList IniFile::keys(const QString &section) const {
  QStringList out;
  for (const Section &s : load())
    if (s.name.compare(section, Qt::CaseInsensitive) == 0)
      for (const auto &e : s.entries) out << e.first;
  return out;
}

bool IniFile::writeString(const QString &section, const QString &key, const QString &value) {
  return writeStrings({{section, key, value}});
}

bool IniFile::writeStrings(const std::vector<Entry> &entries) {
  // A value must stay on one line.
  for (const Entry &e : entries)
    if (e.value.contains(QLatin1Char('\n')) || e.value.contains(QLatin1Char('\r'))) return false;
  std::vector<Section> secs = load();
  for (const Entry &e : entries) {
    // The section a read finds: the first of that name.
    auto target = std::find_if(secs.begin(), secs.end(),
                               [&](const Section &s) { return s.name.compare(e.section, Qt::CaseInsensitive) == 0; });
    if (target == secs.end()) {
      secs.push_back(Section{e.section, {}});
      target = secs.end() - 1;
    }
    bool found = false;
    for (auto &kv : target->entries)
      if (kv.first.compare(e.key, Qt::CaseInsensitive) == 0) {
        kv.second = e.value;
        found = true;
      }
    if (!found) target->entries.emplace_back(e.key, e.value);
  }
  return save(secs);
}

bool IniFile::eraseSection(const QString &section) {
  std::vector<Section> secs = load();
  std::erase_if(secs, [&](const Section &s) { return s.name.compare(section, Qt::CaseInsensitive) == 0; });
  return save(secs);
}

QString UserSettingsDir() {
  QString dir = qEnvironmentVariable("USERPROFILE");
  if (dir.isEmpty()) dir = qEnvironmentVariable("HOME");
  if (dir.isEmpty()) dir = QDir::tempPath();
  if (!dir.endsWith(QLatin1Char('/'))) dir += QLatin1Char('/');
  return dir;
}

QString SettingsFilePath() { return UserSettingsDir() + QStringLiteral("zv.ini"); }

QString SettingsFileError(const QString &path) {
  return QStringLiteral("Файлът с настройки '") + path + QStringLiteral("' не може да бъде отворен или редактиран!");
}
