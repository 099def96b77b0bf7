// The dispatch interface of the camera control: every method by id and by
// name, with its arguments and its result.
//
// This table is the control's contract with its hosts; the dispatch, the
// script host and the interface document are all made from it.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "cameractl/ostrelctl_export.h"

namespace ostrelctl {

class OstrelCtl;

// The names of the type library, its interfaces and classes.
inline constexpr const char* kTypeLibrary = "OSTRELCTLLib";
inline constexpr const char* kTypeLibraryHelp = "OstrelCtl ActiveX Control module";
inline constexpr const char* kTypeLibraryGuid = "{6B1C3D20-4F7A-4E0B-9C55-2D8E51A7C301}";
inline constexpr const char* kDispatchInterface = "_DOstrelCtl";
inline constexpr const char* kDispatchInterfaceHelp = "Dispatch interface for OstrelCtl Control";
inline constexpr const char* kDispatchInterfaceGuid = "{6B1C3D21-4F7A-4E0B-9C55-2D8E51A7C301}";
inline constexpr const char* kEventInterface = "_DOstrelCtlEvents";
inline constexpr const char* kEventInterfaceHelp = "Event interface for OstrelCtl Control";
inline constexpr const char* kEventInterfaceGuid = "{6B1C3D22-4F7A-4E0B-9C55-2D8E51A7C301}";
inline constexpr const char* kControlClass = "OstrelCtl";
inline constexpr const char* kControlClassHelp = "OstrelCtl Control";
inline constexpr const char* kControlProgId = "OSTRELCTL.OstrelCtlCtrl.1";
inline constexpr const char* kControlClassGuid = "{6B1C3D23-4F7A-4E0B-9C55-2D8E51A7C301}";
inline constexpr const char* kPropertyPageProgId = "OSTRELCTL.OstrelCtlPropPage.1";
inline constexpr const char* kPropertyPageCaption = "General";
inline constexpr const char* kPropertyPageGuid = "{6B1C3D24-4F7A-4E0B-9C55-2D8E51A7C301}";

enum class ArgKind {
    Integer,     // 32-bit integer
    Boolean,     // 0 or not 0
    Text,        // text, or a null pointer when left out
    Values,      // address of `count` integers given by the caller (null when left out)
    OutInteger,  // address of an integer the method writes
    OutValues,   // address of `count` integers the method writes
};

struct ArgSpec {
    const char* name;
    ArgKind kind;
    int count = 1;
    const char* fields = "";  // what the values are, for Values and OutValues
};

enum class ResultKind {
    Code,     // 0x20000000 or a negative code
    Rate,     // the frame rate, a decimal number (negative code on failure)
    Address,  // address of the control's image copy (0 on failure)
    None,     // no result
};

// An in-argument as a host passes it.
struct Argument {
    bool present = false;
    int64_t number = 0;
    std::string text;
    std::vector<int32_t> values;
};

struct CallResult {
    ResultKind kind = ResultKind::None;
    int64_t code = 0;
    double rate = 0.0;
    uintptr_t address = 0;
    std::vector<int32_t> outs;  // the out values, in the order of the arguments
};

using Invoker = std::function<CallResult(OstrelCtl&, const std::vector<Argument>&)>;

struct Method {
    int id;
    const char* name;
    std::vector<ArgSpec> args;
    ResultKind result;
    const char* behaviour;  // driver call, failure texts and codes
    Invoker invoke;
};

OSTRELCTL_API const std::vector<Method>& dispatchTable();
OSTRELCTL_API const Method* findMethod(int id);
OSTRELCTL_API const Method* findMethod(std::string_view name);
// The in-arguments of a method (those the caller gives), in order.
OSTRELCTL_API std::vector<ArgSpec> inArguments(const Method& m);
// Calls the method with its in-arguments; out values come back in the result.
OSTRELCTL_API CallResult invoke(OstrelCtl& control, const Method& m,
                                const std::vector<Argument>& in);
// The interface as a Markdown document: names, identifiers, then one row per method.
OSTRELCTL_API std::string interfaceDocument();

}  // namespace ostrelctl
