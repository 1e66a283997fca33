#include "Fb.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QStringDecoder>
#include <QStringEncoder>
#include <array>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <unistd.h>

#include "ZvDate.h"

#include <algorithm>
#include <atomic>

namespace fb {

namespace {

constexpr unsigned short kDialect = 1;

QString statusText(const ISC_STATUS *status) {
  QString text;
  char buf[1024];
  const ISC_STATUS *p = status;
  while (fb_interpret(buf, sizeof buf, &p)) {
    if (!text.isEmpty()) text += QLatin1Char('\n');
    text += fromWin1251(QByteArray(buf));
  }
  return text;
}

// Codes by which the client library reports that the server went away (or
// was never reached) on an attachment.
bool isConnectionLoss(const ISC_STATUS *status) {
  static const ISC_STATUS lost[] = {isc_network_error, isc_net_read_err,       isc_net_write_err,
                                    isc_conn_lost,     isc_lost_db_connection, isc_att_shutdown,
                                    isc_shutdown,      isc_connect_reject};
  for (const ISC_STATUS *p = status; *p != isc_arg_end;) {
    const ISC_STATUS kind = *p++;
    if (kind == isc_arg_gds && std::find(std::begin(lost), std::end(lost), *p) != std::end(lost)) return true;
    if (kind == isc_arg_cstring) ++p;  // length, then the text
    ++p;
  }
  return false;
}

// Raised losses of the whole process; an attachment made before the latest
// one is probed at its next command.
std::atomic<unsigned> lossCount{0};

// The codes of a status vector, in order.
std::vector<ISC_STATUS> statusCodes(const ISC_STATUS *status) {
  std::vector<ISC_STATUS> codes;
  for (const ISC_STATUS *p = status; *p != isc_arg_end;) {
    const ISC_STATUS kind = *p++;
    if (kind == isc_arg_gds) codes.push_back(*p);
    if (kind == isc_arg_cstring) ++p;  // length, then the text
    ++p;
  }
  return codes;
}

[[noreturn]] void raise(const ISC_STATUS *status) {
  const long code = isc_sqlcode(status);
  if (isConnectionLoss(status)) {
    ++lossCount;
    throw ConnectionLost(statusText(status), code, statusCodes(status));
  }
  throw Error(statusText(status), code, statusCodes(status));
}

inline void check(const ISC_STATUS *status) {
  if (status[0] == 1 && status[1]) raise(status);
}

// MJD of 30 December 1899: the register's day 0.
constexpr int kMjdOfDay0 = 15018;
constexpr double kTicksPerDay = 864000000.0;  // ISC_TIME ticks are 1/10000 s

QDateTime fromIscTimestamp(const ISC_TIMESTAMP &ts) {
  const double day = ts.timestamp_date - kMjdOfDay0 + ts.timestamp_time / kTicksPerDay;
  if (day == 0) return QDateTime(QDate(1899, 12, 30), QTime(0, 0), Qt::UTC);
  return zv::toQDateTime(day);
}

ISC_TIMESTAMP toIscTimestamp(const QDateTime &dt) {
  ISC_TIMESTAMP ts;
  const QDate d = dt.date();
  ts.timestamp_date = static_cast<ISC_DATE>(QDate(1899, 12, 30).daysTo(d) + kMjdOfDay0);
  ts.timestamp_time = static_cast<ISC_TIME>(dt.time().msecsSinceStartOfDay() * 10);
  return ts;
}

ISC_TIMESTAMP toIscTimestamp(double day) {
  ISC_TIMESTAMP ts;
  const double whole = std::floor(day);
  ts.timestamp_date = static_cast<ISC_DATE>(whole) + kMjdOfDay0;
  double ticks = std::round((day - whole) * kTicksPerDay);
  if (ticks >= kTicksPerDay) ticks = kTicksPerDay - 1;
  ts.timestamp_time = static_cast<ISC_TIME>(ticks);
  return ts;
}

void addDpbString(std::string &dpb, char tag, const QByteArray &value) {
  dpb.push_back(tag);
  dpb.push_back(static_cast<char>(value.size()));
  dpb.append(value.constData(), static_cast<size_t>(value.size()));
}

QString readBlob(Database &db, Transaction &tr, ISC_QUAD id) {
  ISC_STATUS_ARRAY st;
  isc_blob_handle blob = 0;
  isc_open_blob2(st, db.handle(), tr.handle(), &blob, &id, 0, nullptr);
  check(st);
  QByteArray bytes;
  char seg[32768];
  for (;;) {
    unsigned short got = 0;
    const ISC_STATUS rc = isc_get_segment(st, &blob, &got, sizeof seg, seg);
    if (rc == 0 || rc == isc_segment) {
      bytes.append(seg, got);
      continue;
    }
    if (rc == isc_segstr_eof) break;
    ISC_STATUS_ARRAY st2;
    isc_close_blob(st2, &blob);
    raise(st);
  }
  isc_close_blob(st, &blob);
  check(st);
  return fromWin1251(bytes);
}

ISC_QUAD writeBlob(Database &db, Transaction &tr, const QByteArray &bytes) {
  ISC_STATUS_ARRAY st;
  isc_blob_handle blob = 0;
  ISC_QUAD id;
  std::memset(&id, 0, sizeof id);
  isc_create_blob2(st, db.handle(), tr.handle(), &blob, &id, 0, nullptr);
  check(st);
  int pos = 0;
  while (pos < bytes.size()) {
    const int n = std::min<int>(32000, bytes.size() - pos);
    isc_put_segment(st, &blob, static_cast<unsigned short>(n), bytes.constData() + pos);
    if (st[0] == 1 && st[1]) {
      ISC_STATUS_ARRAY st2;
      isc_cancel_blob(st2, &blob);
      raise(st);
    }
    pos += n;
  }
  isc_close_blob(st, &blob);
  check(st);
  return id;
}

QString systemFirebirdRoot() {
  const char *candidates[] = {"/usr/lib/x86_64-linux-gnu/firebird/3.0", "/usr/lib/aarch64-linux-gnu/firebird/3.0",
                              "/usr/lib/firebird/3.0", "/opt/firebird"};
  for (const char *c : candidates)
    if (QFileInfo::exists(QString::fromLatin1(c) + QStringLiteral("/plugins/libEngine12.so")))
      return QString::fromLatin1(c);
  return QString();
}

}  // namespace

Error::Error(const QString &text, long sqlcode, std::vector<ISC_STATUS> codes)
    : std::runtime_error(text.toStdString()), text_(text), sqlcode_(sqlcode), codes_(std::move(codes)) {}

bool Error::has(ISC_STATUS code) const { return std::find(codes_.begin(), codes_.end(), code) != codes_.end(); }

bool Error::isConflict() const {
  return has(isc_lock_conflict) || has(isc_deadlock) || has(isc_update_conflict) || has(isc_no_dup) ||
         has(isc_unique_key_violation);
}

EncodingError::EncodingError(const QString &text) : Error(text, 0) {}

const QString ConnectionLost::kMessage = QStringLiteral(
    "Връзката със сървъра на базата данни е прекъсната. Командата не е изпълнена и нищо от нея не е "
    "записано; повторете я, когато сървърът отново е достъпен.");

ConnectionLost::ConnectionLost(const QString &serverText, long sqlcode, std::vector<ISC_STATUS> codes)
    : Error(kMessage + QStringLiteral("\n\n") + serverText, sqlcode, std::move(codes)) {}

QByteArray toWin1251(const QString &s) {
  QStringEncoder enc("windows-1251");
  QByteArray out = enc.encode(s);
  if (enc.hasError()) {
    QString bad;
    for (const QChar c : s) {
      QStringEncoder one("windows-1251");
      (void)QByteArray(one.encode(QString(c)));
      if (one.hasError()) {
        bad = c;
        break;
      }
    }
    throw EncodingError(QStringLiteral("Текстът съдържа знак, който не може да бъде записан (\"%1\"): %2")
                            .arg(bad, s.left(60)));
  }
  return out;
}

namespace {
// Windows-1251 is one byte per character: decode through a table built once
// by the toolkit's own converter, instead of a converter per value.
const std::array<char16_t, 256> &win1251Table() {
  static const std::array<char16_t, 256> table = [] {
    std::array<char16_t, 256> t{};
    QByteArray all(256, '\0');
    for (int i = 0; i < 256; ++i) all[i] = static_cast<char>(i);
    QStringDecoder dec("windows-1251");
    const QString s = dec.decode(all);
    for (int i = 0; i < 256; ++i) t[static_cast<size_t>(i)] = i < s.size() ? s[i].unicode() : u'\uFFFD';
    return t;
  }();
  return table;
}
}  // namespace

QString fromWin1251(const QByteArray &b) { return fromWin1251(b.constData(), static_cast<int>(b.size())); }

QString fromWin1251(const char *data, int len) {
  const auto &table = win1251Table();
  QString out(len, Qt::Uninitialized);
  QChar *dst = out.data();
  for (int i = 0; i < len; ++i) dst[i] = QChar(table[static_cast<unsigned char>(data[i])]);
  return out;
}

void prepareEmbeddedEngine() {
  static bool done = false;
  if (done) return;
  done = true;
  if (qEnvironmentVariableIsSet("FIREBIRD")) return;  // the user chose a root
  const QString sys = systemFirebirdRoot();
  if (sys.isEmpty()) return;
  QString base = QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation);
  if (base.isEmpty()) base = QDir::tempPath();
  const QString root = base + QStringLiteral("/QuorinZV/firebird-") + QString::number(getuid());
  QDir().mkpath(root + QStringLiteral("/intl"));
  QDir().mkpath(root + QStringLiteral("/lock"));
  {
    QFile conf(root + QStringLiteral("/firebird.conf"));
    const QByteArray want = "# Written by QuorinZV: one register file may be opened by several\n"
                            "# processes of this user at once.\nServerMode = SuperClassic\n";
    if (!conf.exists() || (conf.open(QIODevice::ReadOnly) && conf.readAll() != want)) {
      conf.close();
      if (conf.open(QIODevice::WriteOnly | QIODevice::Truncate)) conf.write(want);
    }
  }
  const auto link = [&](const QString &from, const QString &name) {
    const QString to = root + QLatin1Char('/') + name;
    if (!QFileInfo::exists(from)) return;
    if (QFileInfo(to).isSymLink() || QFileInfo::exists(to)) QFile::remove(to);
    QFile::link(from, to);
  };
  link(sys + QStringLiteral("/plugins"), QStringLiteral("plugins"));
  link(sys + QStringLiteral("/firebird.msg"), QStringLiteral("firebird.msg"));
  for (const QString &c : {QStringLiteral("plugins.conf"), QStringLiteral("databases.conf"), QStringLiteral("fbtrace.conf")}) {
    const QString etc = QStringLiteral("/etc/firebird/3.0/") + c;
    link(QFileInfo::exists(etc) ? etc : sys + QLatin1Char('/') + c, c);
  }
  // The character set library is searched for in a real folder; a link is not found.
  const auto copy = [&](const QString &from, const QString &name) {
    const QString to = root + QStringLiteral("/intl/") + name;
    if (QFileInfo(to).size() == QFileInfo(from).size() && QFileInfo(to).size() > 0) return;
    QFile::remove(to);
    QFile::copy(from, to);
  };
  const QString intlConf = QFileInfo::exists(QStringLiteral("/etc/firebird/3.0/fbintl.conf"))
                               ? QStringLiteral("/etc/firebird/3.0/fbintl.conf")
                               : sys + QStringLiteral("/intl/fbintl.conf");
  copy(intlConf, QStringLiteral("fbintl.conf"));
  copy(sys + QStringLiteral("/intl/libfbintl.so"), QStringLiteral("libfbintl.so"));
  qputenv("FIREBIRD", QFile::encodeName(root));
  if (!qEnvironmentVariableIsSet("FIREBIRD_LOCK")) qputenv("FIREBIRD_LOCK", QFile::encodeName(root + QStringLiteral("/lock")));
}

QString readBlobText(Database &db, Transaction &tr, const BlobRef &ref) {
  tr.ensure();
  return readBlob(db, tr, ref.id);
}

// ---------------------------------------------------------------- Database

Database::~Database() {
  if (handle_) {
    ISC_STATUS_ARRAY st;
    isc_detach_database(st, &handle_);
  }
}

bool Database::isRemote(const QString &name) {
  // "C:\..." style drive letters do not occur here; a colon before the first
  // slash names a host.
  const int colon = name.indexOf(QLatin1Char(':'));
  if (colon <= 0) return false;
  const int slash = name.indexOf(QLatin1Char('/'));
  return slash < 0 || colon < slash;
}

void Database::connect() {
  if (handle_) return;
  if (!isRemote(databaseName)) prepareEmbeddedEngine();
  std::string dpb;
  dpb.push_back(isc_dpb_version1);
  addDpbString(dpb, isc_dpb_user_name, toWin1251(userName));
  if (!password.isEmpty()) addDpbString(dpb, isc_dpb_password, toWin1251(password));
  addDpbString(dpb, isc_dpb_lc_ctype, QByteArray("WIN1251"));
  dpb.push_back(isc_dpb_sql_dialect);
  dpb.push_back(1);
  dpb.push_back(kDialect);
  const QByteArray path = QFile::encodeName(databaseName);
  ISC_STATUS_ARRAY st;
  const unsigned losses = lossCount.load();
  isc_attach_database(st, 0, path.constData(), &handle_, static_cast<short>(dpb.size()), dpb.data());
  if (st[0] == 1 && st[1]) {
    handle_ = 0;
    raise(st);
  }
  lossSeen_ = losses;
}

bool Database::alive() {
  if (!handle_) return false;
  static const char items[] = {isc_info_ods_version, isc_info_end};
  char res[32];
  ISC_STATUS_ARRAY st;
  isc_database_info(st, &handle_, sizeof items, items, sizeof res, res);
  return !(st[0] == 1 && st[1]);
}

bool Database::lossSeenSinceAttach() const { return handle_ && lossCount.load() != lossSeen_; }

bool Database::needsReattach() {
  if (lostPending_) return true;
  return handle_ && lossCount.load() != lossSeen_ && !alive();
}

void Database::reattach() {
  lostPending_ = true;  // until an attachment succeeds
  if (handle_) {
    ISC_STATUS_ARRAY st;
    isc_detach_database(st, &handle_);  // fails on a dead attachment; the handle goes either way
    handle_ = 0;
  }
  connect();
  lostPending_ = false;
}

void Database::disconnect() {
  if (!handle_) return;
  ISC_STATUS_ARRAY st;
  isc_detach_database(st, &handle_);
  handle_ = 0;
  check(st);
}

void Database::create(const QString &name, const QString &user, const QString &password) {
  if (!isRemote(name)) {
    prepareEmbeddedEngine();
    if (QFileInfo::exists(name)) throw Error(QStringLiteral("Файлът %1 вече съществува.").arg(name));
  }
  QString sql = QStringLiteral("create database '%1' user '%2'").arg(QString(name).replace("'", "''"),
                                                                    QString(user).replace("'", "''"));
  if (!password.isEmpty()) sql += QStringLiteral(" password '%1'").arg(QString(password).replace("'", "''"));
  sql += QStringLiteral(" page_size 8192 default character set WIN1251");
  const QByteArray bytes = toWin1251(sql);
  ISC_STATUS_ARRAY st;
  isc_db_handle db = 0;
  isc_tr_handle tr = 0;
  isc_dsql_execute_immediate(st, &db, &tr, 0, bytes.constData(), kDialect, nullptr);
  check(st);
  isc_detach_database(st, &db);
  check(st);
  // The register holds personal numbers and incomes: its owner's only.
  if (!isRemote(name)) QFile::setPermissions(name, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
}

// ------------------------------------------------------------- Transaction

Transaction::~Transaction() {
  if (handle_) {
    ISC_STATUS_ARRAY st;
    isc_rollback_transaction(st, &handle_);
  }
}

void Transaction::rollbackQuietly() {
  try {
    rollback();
  } catch (const Error &) {
    // the error that led here is the one the caller reports
  }
}

void Transaction::start() {
  if (handle_) return;
  recoverLostConnection();
  static const char tpb[] = {isc_tpb_version3, isc_tpb_write, isc_tpb_read_committed, isc_tpb_rec_version,
                             isc_tpb_nowait};
  ISC_STATUS_ARRAY st;
  // The transaction existence block of isc_start_multiple.
  struct Teb {
    isc_db_handle *dbb_ptr;
    long tpb_len;
    const char *tpb_ptr;
  } teb{db_.handle(), static_cast<long>(sizeof tpb), tpb};
  isc_start_multiple(st, &handle_, 1, &teb);
  if (st[0] == 1 && st[1]) {
    handle_ = 0;
    raise(st);
  }
}

bool Transaction::recoverLostConnection() {
  // After a lost connection the next command attaches anew (once) and
  // starts a new transaction; the old one died with the old attachment,
  // and the command that lost it has reported so.
  if (!db_.needsReattach()) return false;
  if (handle_) {
    ISC_STATUS_ARRAY st;
    isc_rollback_transaction(st, &handle_);
    handle_ = 0;
  }
  db_.reattach();
  return true;
}

void Transaction::ensure() {
  recoverLostConnection();
  if (!handle_) start();
}

void Transaction::commit() {
  if (!handle_ || recoverLostConnection()) return;
  ISC_STATUS_ARRAY st;
  isc_commit_transaction(st, &handle_);
  check(st);
  handle_ = 0;
}

void Transaction::commitRetaining() {
  if (!handle_) return;
  if (recoverLostConnection()) {
    start();
    return;
  }
  ISC_STATUS_ARRAY st;
  isc_commit_retaining(st, &handle_);
  check(st);
}

void Transaction::rollback() {
  if (!handle_) return;
  if (db_.lossSeenSinceAttach() && !db_.alive()) {
    // Nothing to take back: the server dropped it with the attachment.
    ISC_STATUS_ARRAY st;
    isc_rollback_transaction(st, &handle_);
    handle_ = 0;
    return;
  }
  ISC_STATUS_ARRAY st;
  isc_rollback_transaction(st, &handle_);
  handle_ = 0;
  check(st);
}

// --------------------------------------------------------------- Statement

namespace {
struct Sqlda {
  XSQLDA *da = nullptr;
  std::vector<std::vector<char>> buffers;
  std::vector<short> inds;

  explicit Sqlda(int n = 1) { resize(n); }
  ~Sqlda() { std::free(da); }
  Sqlda(const Sqlda &) = delete;
  Sqlda &operator=(const Sqlda &) = delete;
  void resize(int n) {
    std::free(da);
    da = static_cast<XSQLDA *>(std::calloc(1, XSQLDA_LENGTH(std::max(n, 1))));
    da->version = SQLDA_VERSION1;
    da->sqln = static_cast<short>(std::max(n, 1));
  }
  // Gives each described variable its buffer and null indicator.
  void allocate() {
    buffers.assign(static_cast<size_t>(da->sqld), {});
    inds.assign(static_cast<size_t>(da->sqld), 0);
    for (int i = 0; i < da->sqld; ++i) {
      XSQLVAR &v = da->sqlvar[i];
      size_t len = static_cast<size_t>(v.sqllen);
      if ((v.sqltype & ~1) == SQL_VARYING) len += sizeof(short);
      buffers[static_cast<size_t>(i)].assign(std::max<size_t>(len, 8) + 2, 0);
      v.sqldata = buffers[static_cast<size_t>(i)].data();
      v.sqlind = &inds[static_cast<size_t>(i)];
    }
  }
};
}  // namespace

struct Statement::Impl {
  Sqlda out;
  Sqlda in;
  struct Declared {
    short type, len, scale;
  };
  std::vector<Declared> declared;  // parameter types as the server described them
  std::vector<QByteArray> paramBytes;  // keeps text parameters alive during execute
};

Statement::Statement(Database &db, Transaction &tr) : db_(db), tr_(tr), impl_(std::make_unique<Impl>()) {}

Statement::~Statement() { freeHandle(); }

void Statement::freeHandle() {
  if (handle_) {
    ISC_STATUS_ARRAY st;
    isc_dsql_free_statement(st, &handle_, DSQL_drop);
    handle_ = 0;
  }
  cursorOpen_ = false;
}

void Statement::prepare(const QString &sql) {
  freeHandle();
  sql_ = sql;
  const QByteArray bytes = toWin1251(sql);
  tr_.ensure();
  ISC_STATUS_ARRAY st;
  isc_dsql_allocate_statement(st, db_.handle(), &handle_);
  check(st);
  impl_->out.resize(20);
  isc_dsql_prepare(st, tr_.handle(), &handle_, 0, bytes.constData(), kDialect, impl_->out.da);
  if (st[0] == 1 && st[1]) {
    ISC_STATUS_ARRAY st2;
    isc_dsql_free_statement(st2, &handle_, DSQL_drop);
    handle_ = 0;
    raise(st);
  }
  if (impl_->out.da->sqld > impl_->out.da->sqln) {
    impl_->out.resize(impl_->out.da->sqld);
    isc_dsql_describe(st, &handle_, kDialect, impl_->out.da);
    check(st);
  }
  impl_->out.allocate();
  // statement type
  char typeItem[] = {isc_info_sql_stmt_type};
  char res[16];
  isc_dsql_sql_info(st, &handle_, sizeof typeItem, typeItem, sizeof res, res);
  check(st);
  int stype = 0;
  if (res[0] == isc_info_sql_stmt_type) {
    const short l = static_cast<short>(isc_vax_integer(res + 1, 2));
    stype = static_cast<int>(isc_vax_integer(res + 3, l));
  }
  isSelect_ = stype == isc_info_sql_stmt_select || stype == isc_info_sql_stmt_select_for_upd;
  // input parameters
  impl_->in.resize(10);
  isc_dsql_describe_bind(st, &handle_, kDialect, impl_->in.da);
  check(st);
  if (impl_->in.da->sqld > impl_->in.da->sqln) {
    impl_->in.resize(impl_->in.da->sqld);
    isc_dsql_describe_bind(st, &handle_, kDialect, impl_->in.da);
    check(st);
  }
  impl_->in.allocate();
  impl_->declared.clear();
  for (int i = 0; i < impl_->in.da->sqld; ++i) {
    const XSQLVAR &v = impl_->in.da->sqlvar[i];
    impl_->declared.push_back({v.sqltype, v.sqllen, v.sqlscale});
  }
}

int Statement::paramCount() const { return impl_->in.da ? impl_->in.da->sqld : 0; }

void Statement::execute(const std::vector<QVariant> &params) {
  if (!handle_) throw Error(QStringLiteral("Statement is not prepared"));
  closeCursor();
  tr_.ensure();
  XSQLDA *in = impl_->in.da;
  if (static_cast<int>(params.size()) != in->sqld)
    throw Error(QStringLiteral("Wrong number of parameters: %1 given, %2 expected").arg(params.size()).arg(in->sqld));
  impl_->paramBytes.clear();
  impl_->paramBytes.reserve(params.size());
  for (int i = 0; i < in->sqld; ++i) {
    XSQLVAR &v = in->sqlvar[i];
    const auto &decl = impl_->declared[static_cast<size_t>(i)];
    v.sqltype = decl.type;
    v.sqllen = decl.len;
    v.sqlscale = decl.scale;
    const QVariant &p = params[static_cast<size_t>(i)];
    const int type = v.sqltype & ~1;
    if (p.isNull() || !p.isValid()) {
      v.sqltype = static_cast<short>(type | 1);
      *v.sqlind = -1;
      continue;
    }
    *v.sqlind = 0;
    v.sqltype = static_cast<short>(type | 1);
    switch (type) {
      case SQL_BLOB: {
        const ISC_QUAD id = writeBlob(db_, tr_, toWin1251(p.toString()));
        std::memcpy(v.sqldata, &id, sizeof id);
        break;
      }
      case SQL_TIMESTAMP:
      case SQL_TYPE_DATE: {
        ISC_TIMESTAMP ts;
        if (p.metaType().id() == QMetaType::QDateTime) {
          ts = toIscTimestamp(p.toDateTime());
        } else if (p.metaType().id() == QMetaType::QDate) {
          ts = toIscTimestamp(QDateTime(p.toDate(), QTime(0, 0), Qt::UTC));
        } else if (p.metaType().id() == QMetaType::Double || p.metaType().id() == QMetaType::Int) {
          ts = toIscTimestamp(p.toDouble());
        } else {
          // Let the server read a text such as "dd.mm.yyyy".
          impl_->paramBytes.push_back(toWin1251(p.toString()));
          const QByteArray &b = impl_->paramBytes.back();
          v.sqltype = SQL_TEXT | 1;
          v.sqldata = const_cast<char *>(b.constData());
          v.sqllen = static_cast<short>(b.size());
          break;
        }
        if (type == SQL_TYPE_DATE) {
          std::memcpy(v.sqldata, &ts.timestamp_date, sizeof(ISC_DATE));
        } else {
          std::memcpy(v.sqldata, &ts, sizeof ts);
        }
        break;
      }
      case SQL_SHORT:
      case SQL_LONG:
      case SQL_INT64:
      case SQL_FLOAT:
      case SQL_DOUBLE:
      case SQL_D_FLOAT: {
        if (v.sqlscale == 0 && (type == SQL_SHORT || type == SQL_LONG || type == SQL_INT64) &&
            (p.metaType().id() == QMetaType::Int || p.metaType().id() == QMetaType::LongLong ||
             p.metaType().id() == QMetaType::Bool || p.metaType().id() == QMetaType::UInt)) {
          const qint64 n = p.toLongLong();
          v.sqltype = SQL_INT64 | 1;
          v.sqllen = sizeof(ISC_INT64);
          std::memcpy(v.sqldata, &n, sizeof n);
        } else if (p.metaType().id() == QMetaType::QString) {
          impl_->paramBytes.push_back(toWin1251(p.toString()));
          const QByteArray &b = impl_->paramBytes.back();
          v.sqltype = SQL_TEXT | 1;
          v.sqldata = const_cast<char *>(b.constData());
          v.sqllen = static_cast<short>(b.size());
        } else {
          const double d = p.toDouble();
          v.sqltype = SQL_DOUBLE | 1;
          v.sqllen = sizeof(double);
          v.sqlscale = 0;
          std::memcpy(v.sqldata, &d, sizeof d);
        }
        break;
      }
      default: {  // CHAR, VARCHAR and anything else: hand the server a text
        QString s;
        if (p.metaType().id() == QMetaType::QDateTime)
          s = p.toDateTime().toString(QStringLiteral("dd.MM.yyyy hh:mm:ss"));
        else
          s = p.toString();
        impl_->paramBytes.push_back(toWin1251(s));
        const QByteArray &b = impl_->paramBytes.back();
        if (b.size() > 32765) throw Error(QStringLiteral("Текстът е твърде дълъг."));
        v.sqltype = SQL_TEXT | 1;
        v.sqldata = const_cast<char *>(b.constData());
        v.sqllen = static_cast<short>(b.size());
        break;
      }
    }
  }
  ISC_STATUS_ARRAY st;
  isc_dsql_execute(st, tr_.handle(), &handle_, kDialect, in->sqld ? in : nullptr);
  // restore buffers moved to parameter bytes
  for (int i = 0; i < in->sqld; ++i) in->sqlvar[i].sqldata = impl_->in.buffers[static_cast<size_t>(i)].data();
  check(st);
  cursorOpen_ = isSelect_;
}

bool Statement::fetch() {
  if (!cursorOpen_) return false;
  ISC_STATUS_ARRAY st;
  const ISC_STATUS rc = isc_dsql_fetch(st, &handle_, kDialect, impl_->out.da);
  if (rc == 100) {
    closeCursor();
    return false;
  }
  check(st);
  return true;
}

void Statement::closeCursor() {
  if (!cursorOpen_ || !handle_) {
    cursorOpen_ = false;
    return;
  }
  ISC_STATUS_ARRAY st;
  isc_dsql_free_statement(st, &handle_, DSQL_close);
  cursorOpen_ = false;
}

int Statement::columnCount() const { return impl_->out.da ? impl_->out.da->sqld : 0; }

QString Statement::columnName(int i) const {
  const XSQLVAR &v = impl_->out.da->sqlvar[i];
  return fromWin1251(v.aliasname, v.aliasname_length);
}

int Statement::columnIndex(const QString &name) const {
  for (int i = 0; i < columnCount(); ++i)
    if (columnName(i).compare(name, Qt::CaseInsensitive) == 0) return i;
  return -1;
}

QVariant Statement::value(int i) const {
  const XSQLVAR &v = impl_->out.da->sqlvar[i];
  if ((v.sqltype & 1) && *v.sqlind < 0) return QVariant();
  const char *d = v.sqldata;
  switch (v.sqltype & ~1) {
    case SQL_TEXT: return fromWin1251(d, v.sqllen);
    case SQL_VARYING: {
      short len;
      std::memcpy(&len, d, sizeof len);
      return fromWin1251(d + sizeof(short), len);
    }
    case SQL_SHORT:
    case SQL_LONG:
    case SQL_INT64: {
      qint64 n = 0;
      if ((v.sqltype & ~1) == SQL_SHORT) {
        short s;
        std::memcpy(&s, d, sizeof s);
        n = s;
      } else if ((v.sqltype & ~1) == SQL_LONG) {
        ISC_LONG l;
        std::memcpy(&l, d, sizeof l);
        n = l;
      } else {
        std::memcpy(&n, d, sizeof n);
      }
      if (v.sqlscale < 0) return static_cast<double>(n) / std::pow(10.0, -v.sqlscale);
      if ((v.sqltype & ~1) == SQL_INT64) return QVariant::fromValue<qlonglong>(n);
      return static_cast<int>(n);
    }
    case SQL_FLOAT: {
      float f;
      std::memcpy(&f, d, sizeof f);
      return static_cast<double>(f);
    }
    case SQL_DOUBLE:
    case SQL_D_FLOAT: {
      double x;
      std::memcpy(&x, d, sizeof x);
      return x;
    }
    case SQL_TIMESTAMP: {
      ISC_TIMESTAMP ts;
      std::memcpy(&ts, d, sizeof ts);
      return fromIscTimestamp(ts);
    }
    case SQL_TYPE_DATE: {
      ISC_TIMESTAMP ts;
      std::memcpy(&ts.timestamp_date, d, sizeof(ISC_DATE));
      ts.timestamp_time = 0;
      return fromIscTimestamp(ts);
    }
    case SQL_TYPE_TIME: {
      ISC_TIME t;
      std::memcpy(&t, d, sizeof t);
      return QTime::fromMSecsSinceStartOfDay(static_cast<int>(t / 10));
    }
    case SQL_BLOB: {
      ISC_QUAD id;
      std::memcpy(&id, d, sizeof id);
      if (lazyBlobs_) return QVariant::fromValue(BlobRef{id});
      return readBlob(db_, tr_, id);
    }
    default: return QVariant();
  }
}

std::vector<QVariant> Statement::row() const {
  std::vector<QVariant> r;
  r.reserve(static_cast<size_t>(columnCount()));
  for (int i = 0; i < columnCount(); ++i) r.push_back(value(i));
  return r;
}

long Statement::rowsAffected() const {
  if (!handle_) return 0;
  char items[] = {isc_info_sql_records};
  char res[64];
  ISC_STATUS_ARRAY st;
  isc_dsql_sql_info(st, const_cast<isc_stmt_handle *>(&handle_), sizeof items, items, sizeof res, res);
  if (st[0] == 1 && st[1]) return 0;
  long total = 0;
  if (res[0] != isc_info_sql_records) return 0;
  const char *p = res + 3;
  while (*p != isc_info_end) {
    const char item = *p++;
    const short l = static_cast<short>(isc_vax_integer(p, 2));
    p += 2;
    const long n = isc_vax_integer(p, l);
    p += l;
    if (item == isc_info_req_update_count || item == isc_info_req_delete_count ||
        item == isc_info_req_insert_count)
      total += n;
  }
  return total;
}

void execute(Database &db, Transaction &tr, const QString &sql, const std::vector<QVariant> &params) {
  Statement s(db, tr);
  s.prepare(sql);
  s.execute(params);
}

}  // namespace fb
