#pragma once
// The language of the dialogs, menus and captions: Chinese is built in, English comes from a
// translation compiled into the program.

namespace Language {

// Installs (true) or removes (false) the English translation for windows created from now on.
// Returns false when the English translation cannot be loaded.
bool UseEnglishForms(bool english);

} // namespace Language
