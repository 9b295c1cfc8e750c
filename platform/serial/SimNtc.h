#pragma once
// The NTC temperature conversion the ECU's sensors use: an 8-bit reading of the divider
// against degrees Celsius. The simulated ECU needs it both ways for its defaults and for the
// temperature byte of the live record.
namespace SimNtc {

// Degrees C of a reading; -1000 for 0 and 255 (no sensor).
float Celsius(int reading);
// Reading of a temperature in -55..170 C (clamped to that range).
int Reading(float celsius);

}  // namespace SimNtc
