#pragma once

#include <QString>
#include <vector>

// A sound input as the sound server lists it.
struct InputDevice {
    QString name;          // as the server shows it
    QString id;            // the source's own name, what the live route opens
    bool monitor = false;  // what an output plays, not a microphone
};

// The machine's sound inputs, microphones first and the monitors of outputs last.
std::vector<InputDevice> listInputDevices();
