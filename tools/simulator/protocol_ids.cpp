#include "tools/simulator/protocol_ids.h"

namespace simulator {

std::string_view requestName(std::uint32_t code) {
    switch (static_cast<RequestCode>(code)) {
        case RequestCode::Open: return "Open";
        case RequestCode::MapClientEventToSimEvent: return "MapClientEventToSimEvent";
        case RequestCode::TransmitClientEvent: return "TransmitClientEvent";
        case RequestCode::AddClientEventToNotificationGroup: return "AddClientEventToNotificationGroup";
        case RequestCode::SetNotificationGroupPriority: return "SetNotificationGroupPriority";
        case RequestCode::AddToDataDefinition: return "AddToDataDefinition";
        case RequestCode::RequestDataOnSimObject: return "RequestDataOnSimObject";
        case RequestCode::RequestDataOnSimObjectType: return "RequestDataOnSimObjectType";
        case RequestCode::SetDataOnSimObject: return "SetDataOnSimObject";
        case RequestCode::SubscribeToSystemEvent: return "SubscribeToSystemEvent";
        case RequestCode::AICreateNonATCAircraft: return "AICreateNonATCAircraft";
        case RequestCode::AIReleaseControl: return "AIReleaseControl";
        case RequestCode::AIRemoveObject: return "AIRemoveObject";
        case RequestCode::AISetAircraftFlightPlan: return "AISetAircraftFlightPlan";
    }
    return "?";
}

std::string_view messageName(MessageId id) {
    switch (id) {
        case MessageId::Exception: return "EXCEPTION";
        case MessageId::Open: return "OPEN";
        case MessageId::Quit: return "QUIT";
        case MessageId::Event: return "EVENT";
        case MessageId::EventObjectAddRemove: return "EVENT_OBJECT_ADDREMOVE";
        case MessageId::EventFilename: return "EVENT_FILENAME";
        case MessageId::EventFrame: return "EVENT_FRAME";
        case MessageId::SimObjectData: return "SIMOBJECT_DATA";
        case MessageId::SimObjectDataByType: return "SIMOBJECT_DATA_BYTYPE";
        case MessageId::AssignedObjectId: return "ASSIGNED_OBJECT_ID";
    }
    return "?";
}

std::string_view exceptionName(std::uint32_t code) {
    switch (static_cast<ExceptionCode>(code)) {
        case ExceptionCode::Error: return "ERROR";
        case ExceptionCode::SizeMismatch: return "SIZE_MISMATCH";
        case ExceptionCode::UnrecognizedId: return "UNRECOGNIZED_ID";
        case ExceptionCode::Unopened: return "UNOPENED";
        case ExceptionCode::VersionMismatch: return "VERSION_MISMATCH";
        case ExceptionCode::NameUnrecognized: return "NAME_UNRECOGNIZED";
        case ExceptionCode::EventIdDuplicate: return "EVENT_ID_DUPLICATE";
        case ExceptionCode::TooManyObjects: return "TOO_MANY_OBJECTS";
        case ExceptionCode::InvalidDataType: return "INVALID_DATA_TYPE";
        case ExceptionCode::InvalidDataSize: return "INVALID_DATA_SIZE";
        case ExceptionCode::DataError: return "DATA_ERROR";
        case ExceptionCode::InvalidArray: return "INVALID_ARRAY";
        case ExceptionCode::CreateObjectFailed: return "CREATE_OBJECT_FAILED";
        case ExceptionCode::LoadFlightplanFailed: return "LOAD_FLIGHTPLAN_FAILED";
        case ExceptionCode::OperationInvalidForObjectType: return "OPERATION_INVALID_FOR_OBJECT_TYPE";
        case ExceptionCode::InvalidEnum: return "INVALID_ENUM";
        case ExceptionCode::DuplicateId: return "DUPLICATE_ID";
        case ExceptionCode::OutOfBounds: return "OUT_OF_BOUNDS";
    }
    return "?";
}

std::string_view dataTypeName(std::uint32_t type) {
    switch (static_cast<DataType>(type)) {
        case DataType::Int32: return "INT32";
        case DataType::Int64: return "INT64";
        case DataType::Float32: return "FLOAT32";
        case DataType::Float64: return "FLOAT64";
        case DataType::String8: return "STRING8";
        case DataType::String32: return "STRING32";
        case DataType::String64: return "STRING64";
        case DataType::String128: return "STRING128";
        case DataType::String256: return "STRING256";
        case DataType::String260: return "STRING260";
        case DataType::StringV: return "STRINGV";
    }
    return "?";
}

}  // namespace simulator
