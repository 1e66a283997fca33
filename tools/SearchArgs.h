#pragma once
// The search criteria of the command line, as zv-admin search takes them:
// each criterion given is a ticked box of the search panel holding that
// input. Other commands that list the search's result take the same options.
#include <QStringList>

#include "SearchFilter.h"

struct SearchArgs {
  zv::SearchCriteria criteria;
  QString group, status;  // as typed; picked from their lists by PickSearchLists
  QStringList given;      // the criteria options given, each once
};

// "[--regnum TEXT | --egn TEXT | [--name TEXT] [--kids-from TEXT] ...]"
extern const char *const kSearchArgsUsage;

// Takes the criteria options out of args into out; every other argument is
// left in *rest, in order. False, with the reason in *error, on a criterion
// with too few values, a date that is not dd.mm.yyyy, or --regnum or --egn
// given with another criterion.
bool ParseSearchArgs(const QStringList &args, SearchArgs &out, QStringList *rest, QString *error);

// Picks the group and status typed from the lists of the open register (the
// entry whose text, without its trailing blanks, is the text typed).
void PickSearchLists(SearchArgs &args);
