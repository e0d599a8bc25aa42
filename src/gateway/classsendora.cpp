#include "classsendora.h"

namespace parlevo {

ClassSendora::ClassSendora(QObject *parent)
    : QObject(parent)
{
}

} // namespace parlevo
