#pragma once
// The port doctor in the window: "端口诊断…" in the port list's context menu, and what the user
// is told after a port could not be opened.

#include <QString>

#include <functional>

class QComboBox;

namespace PortDiagnosis {

// Adds the entry to the context menu of the port list (its text field and its arrow). The
// findings are for the port in the list at that moment, in the language english() names.
void AddEntry(QComboBox& portCombo, std::function<bool()> english);

// Tells the problems that keep the port from being opened, with their fixes; nothing when the
// doctor finds none.
void TellWhyNotOpened(const QString& port, bool english);

} // namespace PortDiagnosis
