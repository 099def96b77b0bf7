// libgsf's MS-OLE writer into a memory buffer.
#include "xls/ole2_container.h"

#include <gsf/gsf-outfile-msole.h>
#include <gsf/gsf-outfile.h>
#include <gsf/gsf-output-memory.h>
#include <gsf/gsf-utils.h>

#include <mutex>

namespace xls {

namespace {

void initialiseGsf() {
    static std::once_flag once;
    std::call_once(once, [] { gsf_init(); });
}

}  // namespace

std::string packWorkbook(std::string_view workbook, std::string* error) {
    initialiseGsf();
    auto fail = [error](const char* why) {
        if (error != nullptr) *error = why;
        return std::string();
    };
    GsfOutput* memory = gsf_output_memory_new();
    if (memory == nullptr) return fail("cannot create the memory output");
    GsfOutfile* ole = gsf_outfile_msole_new(memory);
    if (ole == nullptr) {
        g_object_unref(memory);
        return fail("cannot create the compound file");
    }
    GsfOutput* stream = gsf_outfile_new_child(ole, "Workbook", FALSE);
    bool ok = stream != nullptr;
    if (ok) {
        ok = gsf_output_write(stream, workbook.size(), reinterpret_cast<const guint8*>(workbook.data())) != FALSE;
        ok = gsf_output_close(stream) != FALSE && ok;
        g_object_unref(stream);
    }
    ok = gsf_output_close(GSF_OUTPUT(ole)) != FALSE && ok;
    g_object_unref(ole);
    std::string bytes;
    if (ok) {
        const guint8* data = gsf_output_memory_get_bytes(GSF_OUTPUT_MEMORY(memory));
        const gsf_off_t size = gsf_output_size(memory);
        if (data != nullptr && size > 0) bytes.assign(reinterpret_cast<const char*>(data), static_cast<size_t>(size));
    }
    if (!gsf_output_is_closed(memory)) gsf_output_close(memory);
    g_object_unref(memory);
    if (bytes.empty()) return fail("cannot write the compound file");
    return bytes;
}

}  // namespace xls
