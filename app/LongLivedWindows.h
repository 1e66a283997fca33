#pragma once
// The windows that live from the start of the program to its end, created
// in the program's fixed order (the main window, the data module, then the
// others). Shown when needed, modally except the progress window.
#include "DataModule.h"
#include "EGNRepair.h"
#include "LBDNames.h"
#include "MainForm.h"
#include "NomForm.h"
#include "Options.h"
#include "Status.h"
#include "ViewKarton.h"
#include "lbddialog.h"

struct LongLivedWindows {
  TMainForm mainForm;
  TDataModule1 dataModule;
  TViewKart viewKart{&mainForm};
  TNomForm nomForm{&mainForm};
  TStatusForm statusForm;
  TEGNRepair egnRepair{&mainForm};
  TLBDForm lbdForm{&mainForm};
  TOptionsForm optionsForm{&mainForm};
  TLbdNamesForm lbdNamesForm{&mainForm};

  LongLivedWindows() {
    NomForm = &nomForm;
    OptionsForm = &optionsForm;
  }
};
