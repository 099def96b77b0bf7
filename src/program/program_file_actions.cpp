// Open and save as the screens run them, around their file dialogs.
#include "platform/message_box.h"
#include "program/program_file.h"
#include "program/program_rules.h"

namespace corvane {

bool openProgram(std::string_view chosen, ProgramList& program, ProgramScreen screen) {
    const std::string path = programFilePath(chosen);
    program.setPath(path);
    const ProgramReadResult result = readProgramFile(path, program, screen);
    if (!result.loaded() && !result.message.empty())
        platform::messageBox(result.message);
    return result.loaded();
}

bool prepareProgramSave(ProgramList& program, ProgramScreen screen) {
    if (program.empty()) {
        platform::messageBox(nothingToSaveMessage(screen));
        return false;
    }
    appendClosingRecordIfNeeded(program);
    return true;
}

bool saveProgram(std::string_view chosen, ProgramList& program, ProgramScreen screen) {
    const std::string path = programFilePath(chosen);
    program.setPath(path);
    if (!writeProgramFile(path, program)) {
        platform::messageBox(saveFailedMessage(screen));
        return false;
    }
    return true;
}

}  // namespace corvane
