#pragma once

class MainDialog;

// The window's commands on keys, so that everything the mouse reaches the keyboard reaches too:
// each button's key is shown in its tooltip. The keys are chosen not to take anything from
// typing in the fields (no plain letters, no Delete outside the list).
void InstallKeyboardCommands(MainDialog &dialog);
