#pragma once

#include <string_view>

#include "state/chargetimes.h"
#include "serial/rxbuffer.h"
#include "serial/sampleobserver.h"
#include "state/samplestore.h"
#include "platform/clock.h"

namespace tremolex {

// Turns the text the serial port delivers into samples. Each reading line is appended
// to the store; the clock is read for every stored sample to stamp `lasttime`, and at
// the first sample of a capture also `starttime`, a tenth of a second earlier. Lines
// that are not readings, and readings that find the store full, are dropped.
//
// The clock restarts at midnight. A reading far below the previous one (by more than
// half a day) means a midnight has passed, and `starttime` moves back a day, so the
// charge time stays right across any number of midnights. Smaller backward steps of the
// clock are taken as they are. A silence of more than half a day between two samples
// cannot be told from a midnight.
class SampleReception {
public:
    SampleReception(RxBuffer& rxbuffer, SampleStore& store, ChargeTimes& times, Clock& clock)
        : m_rxbuffer(rxbuffer), m_store(store), m_times(times), m_clock(clock) {}

    // Handles the text of one receive event; allocates nothing.
    void receive(std::string_view input);
    // Told of each stored reading from now on; nullptr for none (the start).
    void setObserver(SampleObserver* observer) { m_observer = observer; }

private:
    void store(std::int16_t count);

    RxBuffer& m_rxbuffer;
    SampleStore& m_store;
    ChargeTimes& m_times;
    Clock& m_clock;
    SampleObserver* m_observer = nullptr;
};

}  // namespace tremolex
