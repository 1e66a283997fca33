#pragma once
// The card's notes between the database and the notes memo. Stored notes are
// left exactly as they are unless the clerk changed them: the memo shows line
// breaks its own way, and a save must not rewrite an old note's bytes just
// because the card was stored for another reason.
#include <QString>
#include <optional>

namespace zv {

// The stored notes as the memo shows them: CR LF, a lone CR and a lone LF
// each become one line break; every other character stays as stored.
QString NotesForMemo(const QString &stored);

// What a save writes into NOTES, or nothing when the stored notes are to be
// left as they are (the memo is empty, or it still shows the notes as they
// were loaded). loaded: the notes as read when the card was loaded; memo: the
// memo's text now; storedNow: the notes as stored at the time of the save.
// A changed memo is stored with Windows line breaks, except that the start
// and the end it still shares with the loaded notes keep their stored bytes.
// Notes another workstation stored meanwhile are kept when the clerk only
// added text above the loaded notes (as stamped notes do); otherwise the
// clerk's text is stored.
std::optional<QString> NotesToStore(const QString &loaded, const QString &memo, const QString &storedNow);

}  // namespace zv
