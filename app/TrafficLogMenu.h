#pragma once
// The window's traffic log: the current connection's bytes kept in memory (the last 1 MB), and
// "保存通信记录…" / "Save traffic log…" in the menu, which writes them to a file.

#include <functional>

class CRadioSession;
class QWidget;

namespace TrafficLogMenu {

// Records the session's port from now on into a log owned by window, and adds the entry to menu.
void Install(QWidget& window, QWidget& menu, CRadioSession& session, std::function<bool()> english);

} // namespace TrafficLogMenu
