// libgsf's MS-OLE writer into a memory buffer.
#include "xls/ole2_container.h"

#include <gsf/gsf-infile-msole.h>
#include <gsf/gsf-infile.h>
#include <gsf/gsf-input-stdio.h>
#include <gsf/gsf-outfile-msole.h>
#include <gsf/gsf-outfile.h>
#include <gsf/gsf-output-memory.h>
#include <gsf/gsf-utils.h>

#include <mutex>

namespace xls {

namespace {

void ignore(const gchar*, GLogLevelFlags, const gchar*, gpointer) {}

void initialiseGsf() {
    static std::once_flag once;
    std::call_once(once, [] {
        gsf_init();
        // A damaged file is reported through the load's error; libgsf's own
        // warnings about it would only clutter the program's output.
        for (const char* domain : {"libgsf:msole", "libgsf"}) {
            g_log_set_handler(
                domain, static_cast<GLogLevelFlags>(G_LOG_LEVEL_WARNING | G_LOG_LEVEL_MESSAGE),
                ignore, nullptr);
        }
    });
}

}  // namespace

std::string packWorkbook(std::string_view workbook, std::string* error, const char* streamName) {
    initialiseGsf();
    auto fail = [error](const char* why) {
        if (error != nullptr)
            *error = why;
        return std::string();
    };
    GsfOutput* memory = gsf_output_memory_new();
    if (memory == nullptr)
        return fail("cannot create the memory output");
    GsfOutfile* ole = gsf_outfile_msole_new(memory);
    if (ole == nullptr) {
        g_object_unref(memory);
        return fail("cannot create the compound file");
    }
    GsfOutput* stream = gsf_outfile_new_child(ole, streamName, FALSE);
    bool ok = stream != nullptr;
    if (ok) {
        ok = gsf_output_write(stream, workbook.size(),
                              reinterpret_cast<const guint8*>(workbook.data())) != FALSE;
        ok = gsf_output_close(stream) != FALSE && ok;
        g_object_unref(stream);
    }
    ok = gsf_output_close(GSF_OUTPUT(ole)) != FALSE && ok;
    g_object_unref(ole);
    std::string bytes;
    if (ok) {
        const guint8* data = gsf_output_memory_get_bytes(GSF_OUTPUT_MEMORY(memory));
        const gsf_off_t size = gsf_output_size(memory);
        if (data != nullptr && size > 0)
            bytes.assign(reinterpret_cast<const char*>(data), static_cast<size_t>(size));
    }
    if (!gsf_output_is_closed(memory))
        gsf_output_close(memory);
    g_object_unref(memory);
    if (bytes.empty())
        return fail("cannot write the compound file");
    return bytes;
}

bool extractWorkbook(const std::string& path, std::string& workbook, std::string& streamName,
                     std::string& error) {
    initialiseGsf();
    workbook.clear();
    GError* failure = nullptr;
    GsfInput* input = gsf_input_stdio_new(path.c_str(), &failure);
    if (input == nullptr) {
        error = failure != nullptr ? failure->message : "cannot open the file";
        if (failure != nullptr)
            g_error_free(failure);
        return false;
    }
    GsfInfile* ole = gsf_infile_msole_new(input, &failure);
    g_object_unref(input);
    if (ole == nullptr) {
        error = failure != nullptr ? failure->message : "not a compound file";
        if (failure != nullptr)
            g_error_free(failure);
        return false;
    }
    bool found = false;
    for (const char* name : {"Workbook", "Book"}) {
        GsfInput* stream = gsf_infile_child_by_name(ole, name);
        if (stream == nullptr)
            continue;
        const gsf_off_t size = gsf_input_size(stream);
        if (size > 0) {
            workbook.resize(static_cast<size_t>(size));
            found = gsf_input_read(stream, static_cast<size_t>(size),
                                   reinterpret_cast<guint8*>(workbook.data())) != nullptr;
            streamName = name;
        }
        g_object_unref(stream);
        if (found)
            break;
    }
    g_object_unref(ole);
    if (!found) {
        workbook.clear();
        error = "no workbook stream in the compound file";
    }
    return found;
}

}  // namespace xls
