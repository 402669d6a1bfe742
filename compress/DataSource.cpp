#include "compress/DataSource.h"

DataSource::~DataSource() = default;
