// German texts for the operating system's error numbers that reading and writing a database
// file meets, so an operator reads the cause in the same language as the rest of the message.
#pragma once

#include <string>

namespace jet {

// The cause `err` (an errno value) as German text without a closing full stop, for example
// "auf dem Datenträger ist kein Platz mehr frei". Unknown numbers keep the system's own text.
std::string systemErrorText(int err);

}  // namespace jet
