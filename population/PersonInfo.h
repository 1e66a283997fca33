#pragma once
// The client of the population register's person service: one TPersonInfo
// per lookup or per comparison run. Creating it loads the service
// (libPersonInfo.so, by file name) and creates a service object; any failure
// there is absorbed, and the first lookup then raises "НЯМА ВРЪЗКА С ЛБД!".
#include <QString>
#include <stdexcept>

#include "ZvDate.h"

struct IPersonInfo;

namespace zv {

// "НЯМА ВРЪЗКА С ЛБД!"
QString NoLbdConnectionText();

// The service could not be reached. what() is the text above (UTF-8).
class PersonInfoUnavailable : public std::runtime_error {
 public:
  PersonInfoUnavailable();
};

// "yyyymmdd" as a date: exactly 8 digits naming a real calendar day, else 0.
TDate ParseRegisterDate(const QString &text);

// Where the service looks for its data file: ZV_PERSONINFO_DATA, else
// personinfo.tsv in the program's configuration folder.
QString PersonInfoDataFile();

// The file name the client loads; tests point it elsewhere. An empty name
// restores the default, "libPersonInfo.so".
void SetPersonInfoLibraryName(const QString &fileName);
QString PersonInfoLibraryName();

}  // namespace zv

// What a successful lookup read, one value per key; empty (dates 0) before.
struct TPersonValues {
  QString FirstName, MiddleName, LastName;
  QString PAddrDistrict, PAddrMunicipality, PAddrPopulatedPlace, PAddrStreet, PAddrNumber, PAddrEntrance,
      PAddrFloor, PAddrAppartment;
  zv::TDate PAddrDate = 0;
  QString CAddrDistrict, CAddrMunicipality, CAddrPopulatedPlace, CAddrStreet, CAddrNumber, CAddrEntrance,
      CAddrFloor, CAddrAppartment;
  zv::TDate CAddrDate = 0;
  QString Sitizenship, Sitizenship2;
  QString IdDocNumber;
  zv::TDate IdDocDate = 0;
  QString IdDocRPU, IdDocRDVR, IdDocPopulatedPlace;
  QString BAddrPopulatedPlace;
};

class TPersonInfo {
 public:
  // Loads the service and creates its object; nothing is shown on failure.
  TPersonInfo();
  // Works over a service object the caller made; takes a reference of its own.
  explicit TPersonInfo(IPersonInfo *service);
  ~TPersonInfo();
  TPersonInfo(const TPersonInfo &) = delete;
  TPersonInfo &operator=(const TPersonInfo &) = delete;

  bool HasService() const { return service_ != nullptr; }
  // Why the service could not read its data file (a file refused as a
  // whole names its first bad line); empty when it could, or when the
  // library does not say.
  QString LoadProblem() const;

  // Finds the person and reads every key into Values; false (Values as they
  // were) when the register has no such person. Throws PersonInfoUnavailable
  // when there is no service.
  bool Lookup(const QString &egn);

  TPersonValues Values;

  // The keys in the order a lookup reads them.
  static QStringList Keys();

 private:
  IPersonInfo *service_ = nullptr;
  void *library_ = nullptr;
};
