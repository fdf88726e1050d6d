#pragma once
// The line rate of a terminal as the kernel holds it, custom rates included; -1 where the system
// cannot tell (the caller then falls back to the standard rates). On a pseudo-terminal, either
// end tells the rate the slave's user has set.

int ExactLineRate(int fd);
