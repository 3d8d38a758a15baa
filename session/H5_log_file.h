// The HDF5 log where the rest of the program meets it: read as a LogRecord
// like a log CSV, written back out as exactly the CSV the same run's log
// would have written, and the header of a board's group from the run's settings.
#pragma once

#include <chrono>
#include <string>

#include "h5log/H5_log_reader.h"
#include "records/Measure_settings.h"
#include "session/Log_reader.h"

namespace velqoris {

// One board of an HDF5 log (by serial number; empty: the first) as the log
// readers give it.
LogReadResult ReadH5LogRecord(const std::string& path, const std::string& serial = {});

// The CSV of one board's log, settings lines and gap notes included; false
// when it could not be written.
bool WriteH5LogAsCsv(const h5log::H5BoardLog& log, const std::string& csvPath);

// A board group's attributes for a log taken with these settings.
h5log::H5BoardHeader H5HeaderOf(const MeasureSettings& settings, const std::string& serial,
                                const std::string& boardLine,
                                std::chrono::system_clock::time_point start);

}  // namespace velqoris
