#include "LinkPassText.h"

#include "Language.h"

using LinkTransfer::PassOutcome;

QString PassFailureText(PassOutcome outcome, PassAction action) {
  if (outcome == PassOutcome::Complete) return QString();
  const QChar lf = QLatin1Char('\n');
  if (action == PassAction::Read) return Tr(648) + lf + Tr(649) + lf + Tr(57);
  QString text = Tr(outcome == PassOutcome::LinkLost ? 650 : 651) + lf;
  switch (action) {
    case PassAction::Load:
      text += Tr(652);
      break;
    case PassAction::BaseCalibration:
      text += Tr(653);
      break;
    case PassAction::Maps:
      text += Tr(654);
      break;
    case PassAction::Restore:
    case PassAction::Read:
      text += Tr(655);
      break;
  }
  return text;
}
