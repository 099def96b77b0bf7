// The production side's view of the plug-in program: records read as the
// workers need them, numbers parsed, the command recognised.
#pragma once

#include <string>
#include <vector>

namespace corvane {

enum class StepCommand { Check, Uncheck, Break, Mark, Stop, Continue, Unknown };

struct ProductionRecord {
    double x = 0;
    double y = 0;
    int angle = 0;     // whole degrees, as the cycle reads the field
    int station = 0;
    double width = 0;
    double height = 0;
    StepCommand command = StepCommand::Unknown;
    std::string commandWord;
    std::string footprint;
    std::string elementName;
    std::string direction;

    bool isComponent() const {
        return command == StepCommand::Check || command == StepCommand::Uncheck;
    }
};

// Read access to the program list; implemented over the process-wide program
// by the console, and by tests over programs of their own.
class ProgramSource {
public:
    virtual ~ProgramSource() = default;
    virtual int count() const = 0;
    // Record 1..count.
    virtual ProductionRecord record(int number) const = 0;

    // Every record, in program order.
    std::vector<ProductionRecord> all() const;
};

// Which command a command word names; words of either display language are
// recognised, so a language switch never turns a record into another step.
StepCommand parseCommand(const std::string& word);

}  // namespace corvane
