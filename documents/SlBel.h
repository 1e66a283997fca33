#pragma once
// The official certificate of the current row's card, printed directly (no
// preview) on the printer chosen in the printer set-up dialog.
class QPrinter;
class QTableView;

// The printer the program prints on; the set-up dialog changes it.
QPrinter &SystemPrinter();

// The command "Сл. Бележка": narrows the register list behind the grid to
// the current row's card, asks for the printer and prints one certificate
// per row, then puts the list back on its filter and on the same card,
// whether or not anything was printed (also when printing fails).
void PrintCertificate(QTableView *grid);
