#pragma once

#include <QString>

// A null sink loaded into the test sound server for one test, unloaded by the test (to pull
// the device away) or, whatever happens, when the guard goes.
class TemporarySink {
  public:
    TemporarySink(const QString& name, const QString& description);
    ~TemporarySink();
    TemporarySink(const TemporarySink&) = delete;
    TemporarySink& operator=(const TemporarySink&) = delete;

    bool loaded() const { return !module_.isEmpty(); }
    // Waits, at most 3 s, until the program lists it among its outputs.
    bool waitUntilListed() const;
    void unload();

  private:
    QString description_;
    QString module_;
};
