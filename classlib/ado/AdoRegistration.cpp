#include "AdoRegistration.h"

#include "../classes/ClassRegistry.h"
#include "ADODB.h"

void RegisterAdoClasses() {
  RegisterClasses({TADOConnection::StaticClassInfo(), TADOQuery::StaticClassInfo(),
                   TADOTable::StaticClassInfo(), TADOCommand::StaticClassInfo()});
}
