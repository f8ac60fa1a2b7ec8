// Reading datums of the world's aircraft into data blocks, and writing
// SetDataOnSimObject blocks back into the world.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "tools/simulator/byte_io.h"
#include "tools/simulator/datum_catalog.h"
#include "tools/simulator/request_packets.h"
#include "tools/simulator/world.h"

namespace simulator {

// One datum of a client's data definition, as the client added it.
struct DefinedDatum {
    ResolvedDatum datum;
    std::string name;   // as the client wrote it
    std::string units;  // as the client wrote it
    double factor = 1;  // canonical value x factor = value in the client's unit
    std::uint32_t dataType = 0;
    float epsilon = 0;
    std::uint32_t datumId = 0;
};

struct DataDefinition {
    std::vector<DefinedDatum> datums;
    // Bytes of one block; nothing when a STRINGV makes the length vary.
    std::optional<std::size_t> fixedSize() const;
};

// The user aircraft (object null) or an AI object.
struct ObjectRef {
    const AiObject* object = nullptr;
    const AircraftState& state(const World& world) const { return object ? object->state : world.user.state; }
};

// Appends the block of one object (tagged: each datum preceded by its datum
// id) and adds the values to `values` for the record.
void encodeBlock(const World& world, ObjectRef ref, const DataDefinition& definition, bool tagged, ByteWriter& out,
                 nlohmann::ordered_json& values);

struct SetOutcome {
    std::optional<Refusal> refusal;  // nothing was written
    std::vector<std::string> flaws;  // written, but a value points at a unit mix-up
};

// Checks every datum of one block first and writes them only when all are
// acceptable. `state` is the aircraft the block goes to.
SetOutcome applyBlock(AircraftState& state, const DataDefinition& definition, std::span<const std::uint8_t> block);

}  // namespace simulator
