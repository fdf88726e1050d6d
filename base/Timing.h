#pragma once
// The one place where fixed waits and timer periods are scaled. The program runs at scale 1;
// tests and demos may run every wait faster through ORVCONF_TIME_SCALE (for example 0.05).

namespace Timing {

// The scale in force: ORVCONF_TIME_SCALE when set to a number in (0, 1], else 1.
double Scale();

// Overrides the scale (tests); a value outside (0, 1] gives 1.
void SetScale(double scale);

// Forgets any override and reads ORVCONF_TIME_SCALE again (tests).
void ReloadScale();

// A nominal wait in milliseconds as it is to be waited now (at least 1 ms for a nonzero wait).
int ScaledMs(int nominalMs);

} // namespace Timing
