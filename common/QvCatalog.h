#pragma once

// The message catalogue: the only source of error texts shown to anyone.
// All texts are constant and live as long as the process.

enum QvTextGroup {
    QV_GROUP_PDU,        // agent error status 1..18
    QV_GROUP_SNMPV3,     // library results -1402..-1418
    QV_GROUP_USM,        // library results 1401..1414
    QV_GROUP_SNMPCLASS,  // library results -1..-23
    QV_GROUP_FRAMEWORK,  // index 0 success, index n code -(500 + n)
    QV_GROUP_LOGLINE,    // the get and set log-line templates
    QV_GROUP_COUNT
};

// Number of texts in a group (0 for a value that is not a group).
int QvGroupSize(int group);

// Text at an index of a group, or nullptr when the index is outside it.
const char* QvGroupText(int group, int index);

// Text of any code of the code space; a code that has no entry gets the
// framework's "unknown error code" text, so callers always have something
// to show.
const char* QvErrorText(int code);

// The common-services texts (no numeric codes); nullptr outside the group.
int QvCommonTextCount();
const char* QvCommonText(int index);
