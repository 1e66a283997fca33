#pragma once
// A small RAII layer over Firebird's classic C interface. The program speaks
// SQL dialect 1 with the client character set WIN1251; every text crosses
// into and out of the server here and nowhere else.
#include <ibase.h>

#include <QByteArray>
#include <QString>
#include <QVariant>
#include <memory>
#include <stdexcept>
#include <vector>

namespace fb {

// An error of the database server or of the client library. what() carries
// the server's own text, as the user is shown it.
class Error : public std::runtime_error {
 public:
  Error(const QString &text, long sqlcode = 0, std::vector<ISC_STATUS> codes = {});
  QString text() const { return text_; }
  long sqlcode() const { return sqlcode_; }
  // Whether the server's status carried this code (isc_lock_conflict, ...).
  bool has(ISC_STATUS code) const;
  const std::vector<ISC_STATUS> &codes() const { return codes_; }
  // A write refused because another transaction holds the same row or key
  // (lock conflict, update conflict, a duplicate key), as a no-wait
  // transaction is told at once.
  bool isConflict() const;

 private:
  QString text_;
  long sqlcode_;
  std::vector<ISC_STATUS> codes_;
};

// Text that has no Windows-1251 form; raised before anything is written.
class EncodingError : public Error {
 public:
  explicit EncodingError(const QString &text);
};

// The server went away (killed, shut down, network gone). The text starts
// with a Bulgarian line for the clerk; the server's own text follows. The
// next command on the attachment attaches anew.
class ConnectionLost : public Error {
 public:
  ConnectionLost(const QString &serverText, long sqlcode, std::vector<ISC_STATUS> codes = {});
  static const QString kMessage;
};

// Windows-1251 bytes of a text; throws EncodingError for characters with no code.
QByteArray toWin1251(const QString &s);
QString fromWin1251(const QByteArray &b);
QString fromWin1251(const char *data, int len);

// Prepares the process to open database files in place (embedded): a private
// Firebird root whose engine runs in SuperClassic mode, so that the program
// and zv-admin may have one register file open at the same time. Idempotent;
// called by Database::connect before the first attach.
void prepareEmbeddedEngine();

class Database {
 public:
  Database() = default;
  ~Database();
  Database(const Database &) = delete;
  Database &operator=(const Database &) = delete;

  // "host:/path/file.fdb" for a server, a plain path for the embedded engine.
  QString databaseName;
  QString userName = QStringLiteral("SYSDBA");
  QString password;

  void connect();
  void disconnect();  // rolls nothing back: the owner commits first
  bool connected() const { return handle_ != 0; }
  isc_db_handle *handle() { return &handle_; }

  // Connection loss: whether a loss was raised in this process since this
  // attachment was made, whether the attachment still answers, and a new
  // attachment in place of a dead one.
  bool lossSeenSinceAttach() const;
  bool alive();
  bool needsReattach();  // lost and not yet attached anew
  void reattach();

  // Creates a new database file (dialect 1, default character set WIN1251).
  static void create(const QString &name, const QString &user, const QString &password);
  // True when the name names a server ("host:path"), not a local file.
  static bool isRemote(const QString &name);

 private:
  isc_db_handle handle_ = 0;
  unsigned lossSeen_ = 0;
  bool lostPending_ = false;
};

class Transaction {
 public:
  explicit Transaction(Database &db) : db_(db) {}
  ~Transaction();
  Transaction(const Transaction &) = delete;
  Transaction &operator=(const Transaction &) = delete;

  // read committed, record versions, no wait
  void start();
  void commit();
  void commitRetaining();
  void rollback();
  // Rolls back after an error that is the one to report: a failure of the
  // rollback itself is passed over.
  void rollbackQuietly();
  bool active() const { return handle_ != 0; }
  // Starts the transaction when it is not active; after a lost connection,
  // attaches anew first.
  void ensure();
  // Drops a transaction that died with a lost attachment and attaches anew;
  // true when it did.
  bool recoverLostConnection();
  isc_tr_handle *handle() { return &handle_; }
  Database &database() { return db_; }

 private:
  Database &db_;
  isc_tr_handle handle_ = 0;
};

// Values come back as QVariant: invalid for NULL, int for SMALLINT and
// INTEGER, qlonglong for BIGINT, double for floating columns and scaled
// numbers, QDateTime (held as Qt::UTC, no time zone meaning) for DATE and
// TIMESTAMP, QString for CHAR (padded as stored), VARCHAR and text BLOBs.
// Parameters take the same kinds; a double is also accepted for a date
// column and is read as a register day number.
// A text blob left unread by a statement with lazy blobs; read on demand
// through readBlobText while its transaction can still see it.
struct BlobRef {
  ISC_QUAD id;
};

// Reads a text blob by id.
QString readBlobText(Database &db, Transaction &tr, const BlobRef &ref);

class Statement {
 public:
  Statement(Database &db, Transaction &tr);
  ~Statement();
  Statement(const Statement &) = delete;
  Statement &operator=(const Statement &) = delete;

  void prepare(const QString &sql);
  bool prepared() const { return handle_ != 0; }
  QString sql() const { return sql_; }
  int paramCount() const;
  // Runs the prepared statement; for a select, rows are then read with fetch().
  void execute(const std::vector<QVariant> &params = {});
  bool fetch();  // false after the last row
  void closeCursor();
  bool isSelect() const { return isSelect_; }
  // With lazy blobs, value() gives a BlobRef for a text blob instead of its text.
  void setLazyBlobs(bool on) { lazyBlobs_ = on; }

  int columnCount() const;
  QString columnName(int i) const;  // alias as the server reports it, upper case
  int columnIndex(const QString &name) const;  // case-blind, -1 when absent
  QVariant value(int i) const;
  std::vector<QVariant> row() const;
  long rowsAffected() const;

 private:
  struct Impl;
  Database &db_;
  Transaction &tr_;
  isc_stmt_handle handle_ = 0;
  QString sql_;
  bool isSelect_ = false;
  bool cursorOpen_ = false;
  bool lazyBlobs_ = false;
  std::unique_ptr<Impl> impl_;
  void freeHandle();
};

// Runs one statement that returns no rows.
void execute(Database &db, Transaction &tr, const QString &sql, const std::vector<QVariant> &params = {});

}  // namespace fb

Q_DECLARE_METATYPE(fb::BlobRef)
