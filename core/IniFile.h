#pragma once
// A Windows-1251 INI file: "[Section]" lines and "key=value" lines. Reading
// never fails (a missing file or key gives the caller's default); writing
// reports a file that cannot be written.
#include <QString>
#include <QStringList>
#include <utility>
#include <vector>

class IniFile {
 public:
  explicit IniFile(QString path);
  QString path() const { return path_; }

  QString readString(const QString &section, const QString &key, const QString &fallback) const;
  QStringList sections() const;
  QStringList keys(const QString &section) const;
  // Writes one key and saves the file. False when the file cannot be written.
  bool writeString(const QString &section, const QString &key, const QString &value);
  // Writes several keys, each as writeString would, and saves the file once:
  // all of them are written or, when the file cannot be written, none.
  struct Entry {
    QString section, key, value;
  };
  bool writeStrings(const std::vector<Entry> &entries);
  bool eraseSection(const QString &section);

  struct Section {
    QString name;
    std::vector<std::pair<QString, QString>> entries;
  };
  // The whole file read once, sections in file order, for a caller that
  // reads many keys: each readString reads the file again.
  std::vector<Section> snapshot() const { return load(); }
  // The value a readString of that file would give.
  static QString lookup(const std::vector<Section> &secs, const QString &section, const QString &key,
                        const QString &fallback);

 private:
  QString path_;
  std::vector<Section> load() const;
  bool save(const std::vector<Section> &secs) const;
};

// Folder of the per-user settings, ending in a separator: USERPROFILE when
// set, then the home folder, then the temporary folder.
QString UserSettingsDir();
// UserSettingsDir() + "zv.ini"
QString SettingsFilePath();
// "Файлът с настройки '<path>' не може да бъде отворен или редактиран!"
QString SettingsFileError(const QString &path);
