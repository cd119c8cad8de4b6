#include "audio/input_devices.h"

#include <algorithm>

#include "audio/output_devices.h"

std::vector<InputDevice> listInputDevices() {
    std::vector<InputDevice> inputs = OutputDevices::instance().inputs();
    std::stable_partition(inputs.begin(), inputs.end(),
                          [](const InputDevice& input) { return !input.monitor; });
    return inputs;
}
