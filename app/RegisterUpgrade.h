#pragma once
// The register brought up to this version of the program at the start of
// work, before the list opens.

// Runs the register's upgrade step on the data module's connection, then the
// one-time conversion of the incomes to euro on behalf of the user of the
// session (found in USERS by name; without such a user the conversion waits
// for the next opening). A failure is told the clerk through the dialog
// facade and the work goes on: the incomes are converted at a later opening.
void UpgradeRegisterAtStart();
