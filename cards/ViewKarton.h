#pragma once
// The card window: registers a new card, or shows and changes the card of
// the register's current row, with its family members. The window's code
// lives in three files: ViewKarton.cpp (layout, opening, loading, closing,
// notes), FamilyPanel.cpp (the member rows and the member panel) and
// CardSave.cpp (storing the card, its members and their history).
#include <QDialog>
#include <functional>
#include <vector>

#include "CardHistory.h"
#include "CardRules.h"
#include "ZvDate.h"

class QCheckBox;
class QComboBox;
class QDateEdit;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QTabWidget;
class QTableWidget;
class QToolButton;
class QVBoxLayout;
class QWidget;

class TViewKart : public QDialog {
  Q_OBJECT
 public:
  explicit TViewKart(QWidget *parent = nullptr);
  ~TViewKart() override;

  // ---- controls (object names as their fields) ----
  // top strip
  QLineEdit *ebRegNum;
  QPushButton *Load;
  QDateEdit *AddDate;
  QLineEdit *doctxt;
  QTabWidget *PageControl1;
  // tab "Общи": the family
  QGroupBox *gbFamily;
  QTableWidget *FamilyList;
  QLineEdit *FamilyCount;
  QLineEdit *FamilyKids;
  QPushButton *Show;
  QPushButton *Button1;
  // the member panel
  QGroupBox *gbFamilyMember;
  QLineEdit *FirstName;
  QComboBox *PersonType;
  QLineEdit *PersonEGN;
  QPushButton *bLBD;
  QComboBox *cbSocGrupa;
  QLineEdit *PersonNotes;
  QLineEdit *proc_inv;
  QDateEdit *val_do;
  QCheckBox *pojiz;
  QLineEdit *re6_telk;
  QPushButton *Add;
  QPushButton *Modify;
  QPushButton *Delete;
  // "Особености при класиране"
  QGroupBox *gbRanking;
  QComboBox *cbGroup;
  QDateEdit *dtGrupaDate;
  QComboBox *cbsubGroup;
  QComboBox *cbStatus;
  QLineEdit *ebGot;
  QCheckBox *HardLife;
  QDateEdit *dtCheck;
  QLineEdit *ebCheck;
  // "Адресна регистрация"
  QGroupBox *gbAddress;
  QLineEdit *ebAdress;
  QDateEdit *dtAdress;
  QLabel *AddressHint;
  // tab "Други"
  QGroupBox *gbOther;
  QComboBox *cbLData;
  QLineEdit *ebLCond;
  QComboBox *cbLReason;
  QLineEdit *ebIncome;
  QComboBox *cbKart;
  QLineEdit *ebDeals;
  QLineEdit *ebAssets;
  QLineEdit *dek_id;
  QDateEdit *dek_dat;
  QLineEdit *pr;
  QDateEdit *protDate;
  QGroupBox *gbNotes;
  QPlainTextEdit *mNotes;
  QWidget *GroupBoxNoteBut;
  QLineEdit *note_txt;
  QPushButton *add_note;
  // bottom strip
  QWidget *DBNavigator1;
  QToolButton *nbFirst;
  QToolButton *nbPrior;
  QToolButton *nbNext;
  QToolButton *nbLast;
  QPushButton *OK;
  QPushButton *Cancel;

  // ---- state ----
  int Mode = 0;  // 0 new card, otherwise view/update
  bool Editable = false;
  int CardId = 0;
  bool Modified = false;
  bool HolderPending = false;
  bool SkipPanelFill = false;
  int LastRegNum = 1;
  int MinAddressYears = 0;
  // The watched card fields as loaded or last stored; the change entries of
  // a stored card compare against it.
  using CardSnapshot = zv::WatchedCardFields;
  CardSnapshot Snapshot;
  // The notes as loaded or last stored, exactly as the database holds them.
  QString LoadedNotes;
  // TypedState() as loaded or last stored.
  QStringList LoadedState;
  // The stored card and members as loaded or last stored (see ReadCardStamp);
  // a save of a card changed since then elsewhere is refused.
  QStringList CardStamp;
  QStringList ReadCardStamp() const;
  // Locks the card row for this save and refuses it when the card is no
  // longer as loaded; throws.
  void TakeCardOrRefuse();

  enum NavigateBtn { nbtFirst, nbtPrior, nbtNext, nbtLast };

  // Opens the window for a new card (mode 0) or for the card of the
  // register's current row. Modal: returns when the window closes. With
  // modal false the show step runs without showing the window and the call
  // returns at once; the caller then works the window through its handlers
  // and ends with CancelClick.
  void OpenCard(int mode, bool editable, bool modal = true);

  // The show step of every opening: headings, lists, "Запис", LoadCard.
  void FormShow();
  // Fills the seven lists from the nomenclatures.
  void FillFromNom();
  // Fills the controls: an empty new card, or the card of the register's
  // current row.
  void LoadCard();
  // Stores the window's card and members. A database error while storing
  // rolls the whole save back and is shown; false then, and false when
  // nothing was stored (a read-only card, a number already used).
  bool SaveCard();
  // "Запис": the card check, then the save. True when the card was stored.
  bool StoreChecked();
  // The closing step: the question on unsaved typing, then the tables close.
  // False when the window stays open: the answer was Yes and the card did
  // not pass its check or could not be stored.
  bool FormClose();
  // What a save would store differs from what was loaded or last stored
  // (for a new card: from the empty card it opened with), and the card may
  // be stored at all.
  bool Unsaved() const;

  // The member rows as they stand.
  zv::MemberRows Rows() const;
  int RowCount() const;
  // The member rows a save stores: none while the holder row is only the
  // placeholder.
  zv::MemberRows MembersToStore() const;
  // The selected member row, 1-based (the first row when none is selected).
  int SelectedRow() const;
  // Whether a member row is selected.
  bool HasSelectedRow() const;
  void WriteMemberRow(int row);
  void ClearMemberPanel();
  // Snapshot := the watched card fields as the window shows them.
  void SnapshotCardFields();

 public slots:
  void OKClick();
  void CancelClick();
  void LoadClick();
  void ebRegNumKeyDown();
  void DBNavigator1Click(int button);
  void FamilyListSelectCell(int row);
  void ShowClick();
  void AddClick();
  void ModifyClick();
  void DeleteClick();
  void Button1Click();
  void pojizClick();
  void ebIncomeChange();
  void mNotesChange();
  // "Добави" under the notes: the text of note_txt stamped above the notes.
  void add_noteClick();
  // Opens the notes window over the notes of a stored card.
  void mNotesDblClick();
  void HardLifeClick();
  // Any edit of a card field.
  void CardFieldChange();

 protected:
  void done(int r) override;
  void showEvent(QShowEvent *e) override;
  bool eventFilter(QObject *obj, QEvent *e) override;

 private:
  // A text about to be stored, with the label of the field it was typed into.
  struct TypedText {
    QString field;
    QString text;
    QWidget *box;  // the field, to be shown with the character selected
    int row = 0;   // a member row (1-based) when box is FamilyList
  };
  // Refuses the first text that has a character the database cannot take:
  // a message naming the field and the character, then the field shown with
  // that character selected. Nothing is changed. True when refused.
  bool RefuseUnwritable(const std::vector<TypedText> &texts, const QString &caption);
  std::vector<TypedText> panelTexts() const;
  std::vector<TypedText> cardTexts() const;

  void buildLayout();
  void buildTopStrip(QVBoxLayout *root);
  void buildRankingGroup(QWidget *tab, QVBoxLayout *tabLayout);
  void buildAddressGroup(QWidget *tab, QVBoxLayout *tabLayout);
  void buildOtherTab();
  void buildBottomStrip(QVBoxLayout *root);
  // The rows, the counts beside them and the member panel, on the tab "Общи".
  void buildFamilyPanel(QWidget *tab, QVBoxLayout *tabLayout);
  // Column widths that show each heading (on two lines at most) and the
  // texts under it whole.
  void sizeFamilyColumns();
  void connectFieldEdits();
  void limitToColumnWidths();
  // Tab goes through the fields in the order they stand in the window.
  void setFieldOrder();
  // A new card starts each opening without the fields the previous card
  // left behind: entry number, checker, dates, children count.
  void ClearCarriedFields();
  // Runs an action; a database error it does not catch is shown with the
  // server's text.
  void guarded(const std::function<void()> &fn);
  // Before the card on screen is replaced or the window closes: when
  // anything typed is unsaved, asks whether to store it and on Yes goes the
  // way of "Запис". False when the answer was Yes and the card did not pass
  // its check or could not be stored.
  bool OfferToStore();
  // Everything a save stores, as the window shows it.
  QStringList TypedState() const;
  void LoadMembers();
  void LoadStoredCard();
  void LoadNewCard();
  // The member rows reduced to the holder placeholder of a card without a
  // holder yet.
  void SetHolderPlaceholder();
  void UpdateCounters();
  void setRow(int row, const zv::MemberRow &cells);
  zv::MemberRow row(int row) const;
  void selectRowQuietly(int row);
  void writeMemberColumns(const zv::MemberRow &cells);
  void storeNewMembers();
  void storeMembersByPosition();
  int socGroupCode(const QString &text) const;
  QString socGroupText(int code) const;

  // Change history of a stored card: the entries are written here, inside
  // the save's transaction.
  // The watched card fields against Snapshot. Snapshot is renewed once the
  // save has gone through, so that a failed save leaves it as it was.
  void LogCardChanges();
  zv::WatchedCardFields watchedFields() const;
  // A member row paired with the stored member that Person is editing: the
  // change lines for the differences, before the row is written into it.
  QStringList MemberChangeLines(const zv::MemberRow &cells);
  // The change entry of the stored member Person is editing.
  void LogMemberChanged(const QStringList &lines);
  // A new member of a stored card, right after its row is inserted.
  void LogMemberAdded(const zv::MemberRow &cells);
  // A stored member left unpaired, before its row is deleted.
  void LogMemberRemoved();
};

// The card window of the program, created once at start-up.
extern TViewKart *ViewKart;
