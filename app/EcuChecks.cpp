#include "EcuChecks.h"

#include "BrandProfile.h"

namespace {
constexpr int kNeutralItem = 12;       // label index of the neutral customer
constexpr int kNeutralBrandBits = 12;  // brand bits whose table code is the neutral one
}  // namespace

bool IsNewerFirmwareWord(int word) { return (word & 0x7FFF) > kKnownFirmwareVersion; }

FirmwareVerdict CheckFirmwareWords(int word1, int word2) {
  bool anyNew = false;
  for (const int w : {word1, word2}) {
    if (!IsNewerFirmwareWord(w)) continue;
    if ((w & kFirmwareUsableBit) == 0) return FirmwareVerdict::Refuse;
    anyNew = true;
  }
  return anyNew ? FirmwareVerdict::Warn : FirmwareVerdict::Accept;
}

uint8_t CustomerCodeForItem(int itemIndex) {
  if (itemIndex == kNeutralItem) return GetBrandEcuCode(kNeutralBrandBits);
  if (itemIndex < 0 || itemIndex > 30) return GetBrandEcuCode(0);
  return static_cast<uint8_t>(GetBrandEcuCode(1 << itemIndex) & 0xFF);
}

QString SoftwareVersionText(const QString& versionCaption, int softwareByte, int modelByte,
                            const QString& modelName) {
  const QString suffix = modelName.isEmpty() ? QStringLiteral(".") + QString::number(modelByte)
                                             : QStringLiteral(" - ") + modelName;
  return versionCaption + QStringLiteral(": ") + QString::number(softwareByte) + suffix;
}

QString RelabelVersionText(const QString& versionCaption, const QString& panelText) {
  const qsizetype colon = panelText.indexOf(QLatin1Char(':'));
  return versionCaption + (colon < 0 ? panelText : panelText.mid(colon));
}
