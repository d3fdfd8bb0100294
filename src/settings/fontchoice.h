#pragma once

class Session;
class UserDialogs;

// The display-font command: asks for a font starting on the one in use, stores it in the open database and
// holds it in the session. False when the user cancels or the font cannot be stored; the session keeps its font.
[[nodiscard]] bool ChooseDisplayFont(Session& session, UserDialogs& dialogs);
