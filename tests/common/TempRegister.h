#pragma once
// A fresh embedded register in a temporary folder, for one test fixture.
#include <QTemporaryDir>

#include "Fb.h"
#include "Install.h"

struct TempRegister {
  QTemporaryDir dir;
  QString path;
  QString adminLogin = QStringLiteral("admin");
  QString adminPassword = QStringLiteral("Adm1n-pass");

  TempRegister() {
    path = dir.filePath(QStringLiteral("register.fdb"));
    zv::InstallOptions o;
    o.database = path;
    o.adminLogin = adminLogin;
    o.adminPassword = adminPassword;
    zv::createRegister(o);
  }
};
