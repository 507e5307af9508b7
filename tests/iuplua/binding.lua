-- The binding's C functions and the object layer: messages, identity,
-- attribute text, constants and key names.
dofile("harness.lua")

-- Wrong arguments: the exact message each call raises.
local box = IupCreateVbox()
check_errors {
  { "element not userdata", function() IupGetAttribute(1, "TITLE") end, "IupGetAttribute: incorrect arguments to function" },
  { "name not text", function() IupGetAttribute(box, {}) end, "IupGetAttribute: incorrect arguments to function" },
  { "value a table", function() IupSetAttribute(box, "GAP", {}) end, "IupSetAttribute: incorrect arguments to function" },
  { "ShowXY reports as IupShow", function() IupShowXY("x", 1, 2) end, "IupShow: incorrect arguments to function" },
  { "IupMap singular", function() IupMap(3) end, "IupMap: incorrect argument to function" },
  { "IupCreateItem two blanks", function() IupCreateItem({}) end, "IupCreateItem:  incorrect arguments to function" },
  { "dialog needs a child", function() IupCreateDialog(nil) end, "IupCreateDialog: incorrect arguments to function" },
  { "append a number", function() iupappend(box, 5) end, "iupappend: incorrect arguments to function" },
  { "handle name a table", function() IupGetHandle({}) end, "IupGetHandle: incorrect arguments to function" },
  { "help needs a string", function() IupHelp(1) end, "IupHelp: incorrect arguments to function" },
  { "key code not a number", function() xCODE("a") end, "xCODE: incorrect arguments to function" },
  { "key code missing", function() xCODE() end, "xCODE: incorrect arguments to function" },
  { "idle a number", function() IupSetIdle(3) end, "IupSetIdle: parameter must be a function or a cfunction" },
  { "image pixel text", function() IupCreateImage(2, 1, { { 1, "x" } }) end, "IupCreateImage: incorrect value in argument" },
  { "image row not a table", function() IupCreateImage(2, 2, { { 1, 2 }, 5 }) end, "IupCreateImage: incorrect value in argument" },
  { "list items not a table", function() IupListDialog(1, "t", 1, "x", 1, 10, 1, {}) end, "IupListDialog: incorrect arguments to function" },
  { "list marks missing", function() IupListDialog(1, "t", 1, { "a" }, 1, 10, 1) end, "IupListDialog: incorrect arguments to function" },
}

-- More than 100 names bound: IupGetAllNames refuses.
local names_before = #IupGetAllNames()
for i = 1, 101 - names_before do IupSetHandle("many" .. i, IupCreateFill()) end
check_error(function() IupGetAllNames() end, "IupGetAllNames: Maximum elements=100")
for i = 1, 101 - names_before do IupSetHandle("many" .. i, nil) end
check_eq(#IupGetAllNames(), names_before, "names unbound again")

-- Identity: one userdata per element; a destroyed one reads as nothing.
local button = IupCreateButton("Go")
IupSetHandle("go", button)
check(IupGetHandle("go") == button, "IupGetHandle gives the same userdata")
local keyed = { [button] = "found" }
check_eq(keyed[IupGetHandle("go")], "found", "elements work as table keys")
check_eq(getmetatable(button).__tag, iuplua_tag, "iuplua_tag is the element tag")
check_eq(math.type(iuplua_tag), "integer", "iuplua_tag is a number")
IupDestroy(button)
check_eq(IupGetHandle("go"), nil, "destroying unbinds the name")
check_eq(IupGetAttribute(button, "TITLE"), nil, "a destroyed element reads as null")
check_eq(IupGetName(button), nil, "a destroyed element has no name")

-- Attribute text.
local label = IupCreateLabel("x")
IupSetAttribute(label, "GAP", 3)
check_eq(IupGetAttribute(label, "GAP"), "3", "integral number stored as its shortest text")
IupSetAttribute(label, "GAP", 2.5)
check_eq(IupGetAttribute(label, "GAP"), "2.5", "fraction kept")
IupSetAttribute(label, "GAP", nil)
check_eq(IupGetAttribute(label, "GAP"), nil, "nil removes; unset with no default is nil")
check_eq(IupGetAttribute(IupCreateButton("b"), "EXPAND"), "NO", "defaults still apply")
check_eq(IupGetAttribute(IupCreateHbox(), "TYPENAME"), "HBOX", "kind name")

-- The object layer: fields are attributes, numbers and elements as text.
local text = iuptext { value = "abc", size = 40 }
check_eq(text.value, "abc", "field read is the attribute")
check_eq(IupGetAttribute(text, "SIZE"), "40", "constructor field stored as text")
text.nc = 12.0
check_eq(IupGetAttribute(text, "NC"), "12", "3.0-style numbers written as integers")
local dlg = iupdialog { iupvbox { text }, title = "Fields", defaultenter = iupbutton { title = "Ok" } }
local named = IupGetHandle(dlg.defaultenter)
check(named ~= nil and named.title == "Ok", "an element value is written as its handle name")
check(IupGetName(dlg):sub(1, 4) == "str_", "automatic handle names start with str_")
check(IupGetHandle(IupGetName(text)) == text, "the automatic name finds the element")
check_eq(tab_handle[dlg].parent, IUPDIALOG, "the object's class is its parent")
check_eq(IUPDIALOG.parent, COMPOSITION, "containers are compositions")
check_eq(Index(tab_handle[dlg], "parent"), nil, "parent is never inherited")

-- Wrong field types print their message and store nothing.
local printed = {}
local real_print = print
print = function(text) printed[#printed + 1] = text end
local b = iupbutton { title = "x" }
b.action = 5
b.k_any = "not a function"
print = real_print
check_eq(printed[1], "The ACTION field can be only a string or a function", "ACTION message")
check_eq(printed[2], "The K_ANY field can be only a function or a cfunction", "K_ANY message")

-- Building errors carry their fragment.
local function check_fragment(fn, fragment, what)
  local ok, message = pcall(fn)
  check(not ok and tostring(message):find(fragment, 1, true) ~= nil, what .. ": " .. tostring(message))
end
check_fragment(function() iupbutton { title = {} } end, "option title must be a string", "option")
check_fragment(function() iupvbox { 5 } end, "parameter 1 of 'iupvbox' has wrong value or is not initialized", "child")
check_fragment(function() iupimage { { 1, 2 }, { 1 } } end, "inconsistent image lenght", "image rows")
check_fragment(function() iupimage { { 1, "a" } } end, "non-numeric value in image definition", "image pixel")
check_fragment(function() iupmenu { 5 } end, "is not a table nor a menu item", "menu entry")
check_fragment(function() iupmenu { { 5 } } end, "does not have a string title", "menu title")
check_fragment(function() iupmenu { { "Open" } } end, "does not have an action nor a menu", "menu action")

local image = iupimage { { 1, 2, 3 }, { 4, 5, 6 } }
check_eq(image.width, "3", "image width")
check_eq(image.height, "2", "image height")

-- Constants and key names.
check_eq(IUP_CLOSE, -3, "IUP_CLOSE")
check_eq(IUP_CONTINUE, -4, "IUP_CONTINUE")
check_eq(IUP_TIMES_BOLD_12, "TIMES_BOLD_12", "font names")
check_eq(IupRGB(1.9, 2, 255), "1 2 255", "IupRGB truncates")
check_eq(RED, "255 0 0", "colour names")
check_eq(xCODE(59), 315, "xCODE sets the extended bit")
check_eq(xCODE(315), 315, "xCODE keeps a set bit")
check_eq(K_F1, 315, "K_F1")
check_eq(K_cTAB, 404, "K_cTAB")
check_eq(K_mA, 286, "K_mA")
check_eq(K_cZ, 26, "K_cZ")
check_eq(K_sDOWN, 50, "K_sDOWN")

-- Pointer-valued attributes are not read as text.
local canvas = iupcanvas {}
local holder = iupdialog { canvas }
holder:map()
check(type(IupGetAttribute(canvas, "WID")) ~= "string", "the native handle is no text")
IupDestroy(holder)
finish()
