# The rooms of the program and the arrows allowed between them, as the layer diagram of the
# architecture guide draws them. A room includes only rooms printed below it (a higher LEVEL
# number); a standard C++ room includes no Qt at all, a QtCore room no widgets.

# room  level  kind (std, core, widgets)
set(ARCH_ROOMS
    app             0 widgets
    cli             1 core
    fleet           2 core
    link            2 core
    orvpage.dialog  3 widgets
    qxpage.dialog   3 widgets
    document        4 core
    orvpage.logic   5 std
    qxpage.logic    5 std
    connect/pages   6 widgets
    connect         7 core
    settings        8 std
    serial          9 core
    exchange        10 std
    base/files      11 core
    base            12 std
    sim/server      13 core
    sim             14 std
)

# Folders whose targets are rooms of the program; tests, benchmarks, fuzzers and tools may use
# any of them.
set(ARCH_FOLDERS app cli fleet link orvpage qxpage document connect/pages connect settings serial
    exchange base sim)

# Folders that hold more than one room: the room of each target by name.
set(ARCH_TARGET_ROOMS
    orvconf_orvpage_logic orvpage.logic
    orvconf_orvpage       orvpage.dialog
    orvconf_qxpage_logic  qxpage.logic
    orvconf_qxpage        qxpage.dialog
    orvconf_files         base/files
    orvconf_base          base
    orvconf_simcore       sim
    orvconf_simserver     sim/server
    orvconf-sim           sim/server
)

# The simulated radio is independent: it uses only these, and nothing uses it.
set(ARCH_SIM_USES serial base base/files sim)
# Of the engine, the simulated radio knows only the family names.
set(ARCH_SIM_EXCHANGE_HEADERS exchange/RadioSettings.h)

# The two families' pages never use each other.
set(ARCH_APART orvpage qxpage)

# from -> to, allowed although the rules above forbid it. Each is a debt with a way out.
set(ARCH_EXCEPTIONS)
