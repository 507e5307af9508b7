#include "host.h"

int main() {
  return VarkoMain();
}
