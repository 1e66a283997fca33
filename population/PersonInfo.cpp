#include "PersonInfo.h"

#include <dlfcn.h>

#include <QDate>
#include <QFile>
#include <QStringList>
#include <cstdlib>

#include "LibraryPath.h"
#include "PersInfoLib_TLB.h"

namespace {

struct Key {
  const char16_t *name;
  QString TPersonValues::*text;
  zv::TDate TPersonValues::*date;
};

using V = TPersonValues;
// The order of reading is part of the conversation with the service.
const Key kKeys[] = {
    {u"FirstName", &V::FirstName, nullptr},
    {u"MiddleName", &V::MiddleName, nullptr},
    {u"LastName", &V::LastName, nullptr},
    {u"PAddrDistrict", &V::PAddrDistrict, nullptr},
    {u"PAddrMunicipality", &V::PAddrMunicipality, nullptr},
    {u"PAddrPopulatedPlace", &V::PAddrPopulatedPlace, nullptr},
    {u"PAddrStreet", &V::PAddrStreet, nullptr},
    {u"PAddrNumber", &V::PAddrNumber, nullptr},
    {u"PAddrEntrance", &V::PAddrEntrance, nullptr},
    {u"PAddrFloor", &V::PAddrFloor, nullptr},
    {u"PAddrAppartment", &V::PAddrAppartment, nullptr},
    {u"PAddrDate", nullptr, &V::PAddrDate},
    {u"CAddrDistrict", &V::CAddrDistrict, nullptr},
    {u"CAddrMunicipality", &V::CAddrMunicipality, nullptr},
    {u"CAddrPopulatedPlace", &V::CAddrPopulatedPlace, nullptr},
    {u"CAddrStreet", &V::CAddrStreet, nullptr},
    {u"CAddrNumber", &V::CAddrNumber, nullptr},
    {u"CAddrEntrance", &V::CAddrEntrance, nullptr},
    {u"CAddrFloor", &V::CAddrFloor, nullptr},
    {u"CAddrAppartment", &V::CAddrAppartment, nullptr},
    {u"CAddrDate", nullptr, &V::CAddrDate},
    {u"Sitizenship", &V::Sitizenship, nullptr},
    {u"Sitizenship2", &V::Sitizenship2, nullptr},
    {u"IdDocNumber", &V::IdDocNumber, nullptr},
    {u"IdDocDate", nullptr, &V::IdDocDate},
    {u"IdDocRPU", &V::IdDocRPU, nullptr},
    {u"IdDocRDVR", &V::IdDocRDVR, nullptr},
    {u"IdDocPopulatedPlace", &V::IdDocPopulatedPlace, nullptr},
    {u"BAddrPopulatedPlace", &V::BAddrPopulatedPlace, nullptr},
};
static_assert(std::size(kKeys) == 29);

const QString kDefaultLibrary = QString::fromLatin1(kPersonInfoLibrary);
QString gLibraryName = kDefaultLibrary;

const PIWideChar *wide(const QString &s) { return reinterpret_cast<const PIWideChar *>(s.utf16()); }

}  // namespace

namespace zv {

QString NoLbdConnectionText() { return QStringLiteral("НЯМА ВРЪЗКА С ЛБД!"); }

PersonInfoUnavailable::PersonInfoUnavailable() : std::runtime_error(NoLbdConnectionText().toStdString()) {}

TDate ParseRegisterDate(const QString &text) {
  if (text.size() != 8) return 0;
  for (const QChar c : text)
    if (c < QLatin1Char('0') || c > QLatin1Char('9')) return 0;
  const QDate d(text.left(4).toInt(), text.mid(4, 2).toInt(), text.mid(6, 2).toInt());
  return d.isValid() ? fromQDate(d) : 0;
}

QString PersonInfoDataFile() {
  const QString env = qEnvironmentVariable("ZV_PERSONINFO_DATA");
  if (!env.isEmpty()) return env;
  QString base = qEnvironmentVariable("XDG_CONFIG_HOME");
  if (base.isEmpty()) base = qEnvironmentVariable("HOME") + QStringLiteral("/.config");
  return base + QStringLiteral("/QuorinZV/personinfo.tsv");
}

void SetPersonInfoLibraryName(const QString &fileName) {
  gLibraryName = fileName.isEmpty() ? kDefaultLibrary : fileName;
}

QString PersonInfoLibraryName() { return gLibraryName; }

}  // namespace zv

TPersonInfo::TPersonInfo() {
  // The library stays mapped after the last object goes, so the data file it
  // has read is kept for the next lookup of the run.
  library_ = dlopen(zv::libraryPath(gLibraryName).constData(), RTLD_NOW | RTLD_NODELETE);
  if (!library_) return;
  const auto create = reinterpret_cast<PersonInfoCreateInstanceFn>(dlsym(library_, kPersonInfoCreateInstance));
  if (!create) return;
  void *unknown = nullptr;
  if (create(&CLSID_CoPersonInfo, nullptr, CLSCTX_INPROC_SERVER | CLSCTX_LOCAL_SERVER, &IID_IUnknown, &unknown) !=
          PI_S_OK ||
      !unknown)
    return;
  auto *u = static_cast<IPersonInfo *>(unknown);
  void *asked = nullptr;
  if (u->lpVtbl->QueryInterface(u, &IID_IPersonInfo, &asked) == PI_S_OK && asked)
    service_ = static_cast<IPersonInfo *>(asked);
  u->lpVtbl->Release(u);
}

QString TPersonInfo::LoadProblem() const {
  if (!library_) return QStringLiteral("%1 cannot be loaded").arg(zv::PersonInfoLibraryName());
  using ProblemFn = const char *(*)();
  const auto problem = reinterpret_cast<ProblemFn>(dlsym(library_, "PersonInfoLoadProblem"));
  return problem ? QString::fromUtf8(problem()) : QString();
}

TPersonInfo::TPersonInfo(IPersonInfo *service) : service_(service) {
  if (service_) service_->lpVtbl->AddRef(service_);
}

TPersonInfo::~TPersonInfo() {
  if (service_) service_->lpVtbl->Release(service_);
  if (library_) dlclose(library_);
}

QStringList TPersonInfo::Keys() {
  QStringList out;
  for (const Key &k : kKeys) out << QString::fromUtf16(k.name);
  return out;
}

bool TPersonInfo::Lookup(const QString &egn) {
  if (!service_) throw zv::PersonInfoUnavailable();
  if (service_->lpVtbl->FindByEGN(service_, wide(egn)) != PI_S_OK) return false;
  PIWideChar *value = nullptr;
  for (const Key &k : kKeys) {
    // Emptied before every call: a key that yields nothing reads as empty.
    std::free(value);
    value = nullptr;
    service_->lpVtbl->GetField(service_, k.name, &value);
    const QString text = value ? QString::fromUtf16(value) : QString();
    if (k.text)
      Values.*k.text = text;
    else
      Values.*k.date = zv::ParseRegisterDate(text);
  }
  std::free(value);
  return true;
}
