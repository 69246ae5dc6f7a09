// Enter in the main dialog: a focused push button is pressed by its own key handling (its
// auto-default style); Enter anywhere else opens or closes the focused tree's current item and
// never presses a button nor ends the dialog. Escape keeps ending the dialog.
#pragma once

class QDialog;

// Installs the Enter handling on the dialog. Call once the dialog's push buttons exist.
void InstallEnterHandling(QDialog* dialog);
