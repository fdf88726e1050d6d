#pragma once
// The document functions moved to document/ (namespace Doc); older callers keep their names.

#include "document/DocumentSet.h"

namespace Cli {
using Doc::EmptyDocument;
using Doc::ImportTableFile;
using Doc::LoadDocument;
using Doc::OrvRepeaterLayoutOf;
using Doc::OrvSetInputOf;
using Doc::PreparedWrite;
using Doc::PrepareWrite;
using Doc::QxSetInputOf;
using Doc::TableFileOf;
} // namespace Cli
