#include "ui/list_upkeep.h"

namespace lanyi {

void compact_list(ResultList& list) { list.compact(); }

void clear_contacts(ResultList& list) { list.clear_contacts(); }

void clear_list(ResultList& list) { list.delete_all_rows(); }

}  // namespace lanyi
