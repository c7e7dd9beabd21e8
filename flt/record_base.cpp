#include "flt/record_base.h"

#include "flt/output_file.h"
#include "flt/record.h"

int FltRecordBase::write(FltOutputFile& file) {
  serialise(file.scratchRecord(), file.version());
  return file.writeRecord(file.scratchRecord());
}

void FltRecordBase::read(FltOutputFile& file) {
  parse(file.scratchRecord(), file.version());
}

void FltRecordBase::readFrom(FltRecordHolder& holder) {
  parse(holder.heldRecord(), holder.heldVersion());
}
