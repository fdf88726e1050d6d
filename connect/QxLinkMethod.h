#pragma once
// The two ways of bringing a QX module into command mode (the values are those of the
// connection-method dialog's radio group, first button 0).

enum class QxLinkMethod : int {
    ConfigKey = 0,     // CONFIG held while the module is powered on; the port listens at 9600
    SoftDiagnosis = 1, // every rate of the search table tried with "+++"
};
