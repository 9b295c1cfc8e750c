#include "SimNtc.h"

namespace {

// Resistance ratios for T = -55 + 5 i degrees C, descending.
constexpr float kRatio[47] = {97.578f,  67.65f,   47.538f,  33.831f,  24.359f,  17.753f,  13.067f,  9.7228f,
                              7.3006f,  5.5361f,  4.2332f,  3.266f,   2.5392f,  1.9902f,  1.5709f,  1.2492f,
                              1.0f,     0.805f,   0.65326f, 0.5329f,  0.4371f,  0.36f,    0.299f,   0.2493f,
                              0.2088f,  0.1757f,  0.148f,   0.1262f,  0.1076f,  0.09215f, 0.07922f, 0.0683f,
                              0.05924f, 0.05153f, 0.04492f, 0.0392f,  0.0343f,  0.03018f, 0.02665f, 0.023594f,
                              0.0209f,  0.0186f,  0.0166f,  0.01486f, 0.01332f, 0.01198f, 0.01079f};

}  // namespace

float SimNtc::Celsius(int reading) {
  if (reading <= 0 || reading >= 255) return -1000.0f;
  const float r = static_cast<float>(reading) / static_cast<float>(255 - reading);
  int i = 0;
  while (i < 46 && kRatio[i] > r) ++i;
  const float before = i > 0 ? kRatio[i - 1] : 0.0f;
  return (static_cast<float>(i) - (r - kRatio[i]) / (before - kRatio[i])) * 5.0f - 55.0f;
}

int SimNtc::Reading(float celsius) {
  if (celsius < -55.0f) celsius = -55.0f;
  if (celsius > 170.0f) celsius = 170.0f;
  const float x = (celsius + 55.0f) * 0.2f;
  int i = static_cast<int>(x);
  if (i > 45) i = 45;
  const float r = kRatio[i] + (kRatio[i + 1] - kRatio[i]) * (x - static_cast<float>(i));
  return static_cast<int>(255.0f * r / (1.0f + r) + 0.5f);
}
