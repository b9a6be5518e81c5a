#pragma once

#include <gtest/gtest.h>

#include "device_link/command_channel.h"
#include "devsim/simulator.h"

namespace kestrion::test {

// Plugs the simulated mouse on a port and opens the channel on it as the device object would:
// the receiver link in receiver mode, the wired link otherwise.
inline void attachMouseChannel(devsim::Simulator& sim, CommandChannel& channel, devsim::Port port)
{
    ASSERT_TRUE(sim.plug(port));
    const bool receiver = port == devsim::Port::Receiver;
    HidDevice& link = receiver ? channel.receiverLink() : channel.wiredLink();
    ASSERT_TRUE(link.open(sim.commandPath(port), true, true, true, false));
    channel.setOpen(true);
    channel.setLinkMode(receiver ? 2 : 1);
}

}  // namespace kestrion::test
