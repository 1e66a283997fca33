#pragma once
// The Word and Excel writers, made through MakeExportWriter.
#include <memory>

#include "ExportWriter.h"

namespace zv {
std::unique_ptr<ExportWriter> MakeRtfWriter();
std::unique_ptr<ExportWriter> MakeXlsWriter();
}  // namespace zv
