#pragma once

#include <array>
#include <string_view>

#include "platform/clock.h"
#include "serial/rxbuffer.h"
#include "serial/sampleobserver.h"
#include "state/chargetimes.h"
#include "state/samplestore.h"

namespace tremolex {

// Turns the text the serial port delivers into samples. Each reading line is stamped with
// the clocks and appended to the store; `lasttime` follows the steady clock of the latest
// stored sample, and the first sample of a capture sets `starttime` a tenth of a second
// before it. Lines that are not readings are dropped; readings that find the store full are
// not stored but still told to the observers (the recording keeps them).
class SampleReception {
public:
    static constexpr std::size_t kObservers = 2;

    SampleReception(RxBuffer& rxbuffer, SampleStore& store, ChargeTimes& times, Clock& clock)
        : m_rxbuffer(rxbuffer), m_store(store), m_times(times), m_clock(clock) {}

    // Handles the text of one receive event; allocates nothing.
    void receive(std::string_view input);
    // Told of each reading from now on, in this order; nullptr for none.
    void setObservers(std::array<SampleObserver*, kObservers> observers) {
        m_observers = observers;
    }

private:
    void store(std::int16_t count);

    RxBuffer& m_rxbuffer;
    SampleStore& m_store;
    ChargeTimes& m_times;
    Clock& m_clock;
    std::array<SampleObserver*, kObservers> m_observers{};
};

}  // namespace tremolex
