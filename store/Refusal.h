#pragma once
// The refusal of a command for want of rights, shown through the dialog
// facade; for windows (the library using it links the dialog facade).
#include "Dialogs.h"
#include "Rights.h"

namespace zv {

// Shows the refusal when the right is not given. True when refused: the
// caller then does nothing else.
inline bool RefuseUnless(bool allowed) {
  if (!allowed) Dialogs::message(kNoRightsText, kNoRightsCaption, Dialogs::Icon::Error);
  return !allowed;
}

}  // namespace zv
