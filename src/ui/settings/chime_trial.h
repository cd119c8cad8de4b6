#pragma once

class QString;
class QWidget;
class TestChime;

// Plays the test chime on a device as loud as a new programme plays, and says why when it
// cannot.
void playChimeOn(TestChime& chime, const QString& device, QWidget* parent);
