#include "LinkPassText.h"

using LinkTransfer::PassOutcome;

QString PassFailureText(PassOutcome outcome, PassAction action) {
  if (outcome == PassOutcome::Complete) return QString();
  if (action == PassAction::Read)
    return QStringLiteral(
        "Collegamento con la centralina interrotto durante la lettura dei dati.\n"
        "I dati in memoria sono rimasti quelli di prima.\n"
        "Controllare il collegamento.");
  QString text = outcome == PassOutcome::LinkLost
                     ? QStringLiteral("Collegamento con la centralina interrotto durante la scrittura dei dati.")
                     : QStringLiteral("La centralina non ha accettato tutti i dati.");
  text += QLatin1Char('\n');
  switch (action) {
    case PassAction::Load:
      text += QStringLiteral(
          "La centralina non ha ricevuto tutti i dati del file; in memoria ci sono i dati del file: "
          "ricollegarsi e caricare di nuovo il file.");
      break;
    case PassAction::BaseCalibration:
      text += QStringLiteral(
          "La centralina non ha ricevuto tutta la mappa base; in memoria c'è la mappa base: "
          "ricollegarsi e ripetere la taratura.");
      break;
    case PassAction::Maps:
      text += QStringLiteral(
          "La centralina non ha ricevuto tutta la mappa; la mappa in memoria non è cambiata: "
          "ricollegarsi e scaricarla di nuovo in centralina.");
      break;
    case PassAction::Restore:
    case PassAction::Read:
      text += QStringLiteral(
          "La centralina non ha ricevuto tutta la configurazione; la configurazione in memoria è "
          "conservata.");
      break;
  }
  return text;
}
