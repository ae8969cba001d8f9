// Tidying the result list between and after the phases.
//
// Each operation is one step under the list's own lock, so it may run on any
// thread while workers write rows; jobs that write by RowKey keep writing to
// their own company across a compaction.
#pragma once

#include "ui/result_list.h"

namespace lanyi {

// Removes every row whose id column is blank (nothing left once ASCII and
// full-width spaces go) and renumbers column 0 from 1. One pass.
void compact_list(ResultList& list);
// Empties columns 3-9 of every row so the contact phase can run again;
// number, id and name stay.
void clear_contacts(ResultList& list);
// Removes every row.
void clear_list(ResultList& list);

}  // namespace lanyi
