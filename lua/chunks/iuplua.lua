-- The toolkit's object layer for scripts: element classes, constructors that
-- take tables, attributes read and written as fields, callback methods and
-- the toolkit's constants. Built on the C functions of the binding.
--
-- A constructor returns the element itself (the binding's userdata, one per
-- element), so elements compare with == and serve as table keys. Its script
-- object, a table with the class as "parent" and the element as "handle",
-- sits in tab_handle; fields of the element go to the object's get and set
-- methods through fbget and fbset.

tab_handle = {}

-- The binding hands over the elements' metatable.
local element_meta = ...

-- ---------------------------------------------------------------- helpers

local function truncate(x)
  x = tonumber(x) or 0
  if x ~= x then return 0 end
  if x >= 0 then return math.floor(x) else return math.ceil(x) end
end

local function is_element(v)
  return type(v) == "userdata" and getmetatable(v) == element_meta
end

local string_counter = 0
function IupGenerateString(prefix)
  string_counter = string_counter + 1
  return (prefix or "") .. string_counter
end

-- The handle name of an element, given one first when it has none.
local function handle_name(element)
  local name = IupGetName(element)
  if not name then
    name = IupGenerateString("str_")
    IupSetHandle(name, element)
  end
  return name
end

-- Text stored for a field value: numbers as their shortest text, elements
-- by handle name.
local function attribute_text(value)
  local t = type(value)
  if t == "number" then
    if math.type(value) == "float" and value == math.floor(value) and value > -2^53 and value < 2^53 then
      return string.format("%d", math.tointeger(value))
    end
    return tostring(value)
  elseif t == "userdata" and is_element(value) then
    return handle_name(value)
  end
  return value
end

-- ---------------------------------------------------------------- tag methods

-- The "index" behaviour of objects and classes: a missing field is looked
-- up in the parent class; "parent" itself is never inherited.
function Index(object, field)
  if field == "parent" then return nil end
  local parent = rawget(object, "parent")
  if parent ~= nil then return parent[field] end
  return nil
end

local object_meta = { __index = Index }

-- Script object of an element; elements made in C without one get a plain
-- WIDGET object on first use, so fields and methods work on them too.
local function object_of(element)
  local object = tab_handle[element]
  if object == nil then
    object = setmetatable({ parent = WIDGET, handle = element }, object_meta)
    tab_handle[element] = object
  end
  return object
end

function fbget(element, field)
  return object_of(element):get(field)
end

function fbset(element, field, value)
  object_of(element):set(field, value)
end

-- ---------------------------------------------------------------- classes

WIDGET = setmetatable({}, object_meta)

function WIDGET:show() return IupShow(self.handle) end
function WIDGET:hide() return IupHide(self.handle) end
function WIDGET:popup(x, y) return IupPopup(self.handle, x or IUP_CENTER, y or IUP_CENTER) end
function WIDGET:showxy(x, y) return IupShowXY(self.handle, x or IUP_CENTER, y or IUP_CENTER) end
function WIDGET:map() return IupMap(self.handle) end
function WIDGET:detach() return IupDetach(self.handle) end
function WIDGET:append(child) return iupappend(self.handle, child) end

function WIDGET:destroy()
  local element = self.handle
  tab_handle[element] = nil
  return IupDestroy(element)
end

-- Callback methods: the field, the attribute that routes the event to the
-- binding, and the binding's action name.
local callback_routes = {
  k_any = { "K_ANY", "iuplua_k_any" },
  getfocus = { "GETFOCUS_CB", "iuplua_getfocus" },
  killfocus = { "KILLFOCUS_CB", "iuplua_killfocus" },
  close = { "CLOSE_CB", "dialog_close" },
  showcb = { "SHOW_CB", "dialog_showcb" },
  mapcb = { "MAP_CB", "dialog_mapcb" },
  button = { "BUTTON_CB", "canvas_button" },
  resize = { "RESIZE_CB", "canvas_resize" },
  motion = { "MOTION_CB", "canvas_motion" },
  enterwindow = { "ENTERWINDOW_CB", "canvas_enterwindow" },
  leavewindow = { "LEAVEWINDOW_CB", "canvas_leavewindow" },
  scroll = { "SCROLL_CB", "canvas_scroll" },
  wheel = { "WHEEL_CB", "canvas_wheel" },
}

-- Method and internal fields first (from the object or its classes), then
-- the element's attribute.
function WIDGET:get(field)
  if type(field) ~= "string" then field = attribute_text(field) end
  if field == "handle" or field == "parent" then return rawget(self, field) end
  if type(field) ~= "string" then return nil end
  local value = self[string.lower(field)]
  if value ~= nil then return value end
  return IupGetAttribute(self.handle, string.upper(field))
end

function WIDGET:set(field, value)
  if type(field) ~= "string" then field = attribute_text(field) end
  local lower = string.lower(field)
  if lower == "action" then
    local t = type(value)
    if t == "function" or (t == "string" and self._action_is_method) then
      rawset(self, "action", value)
      if self._action_name then IupSetAttribute(self.handle, "ACTION", self._action_name) end
    elseif t == "string" then
      IupSetAttribute(self.handle, "ACTION", value)
    else
      print("The ACTION field can be only a string or a function")
    end
    return
  end
  if lower == "k_any" then
    if type(value) == "function" then
      rawset(self, "k_any", value)
      IupSetAttribute(self.handle, "K_ANY", "iuplua_k_any")
    else
      print("The K_ANY field can be only a function or a cfunction")
    end
    return
  end
  local route = callback_routes[lower]
  if route and (type(value) == "function" or type(value) == "string") then
    rawset(self, lower, value)
    IupSetAttribute(self.handle, route[1], route[2])
    return
  end
  IupSetAttribute(self.handle, string.upper(field), attribute_text(value))
end

COMPOSITION = setmetatable({ parent = WIDGET }, object_meta)

local function class(parent, fields)
  fields.parent = parent
  return setmetatable(fields, object_meta)
end

-- Fields a constructor uses itself rather than as attributes.
local construction_fields = { name = true }

-- Builds an element: the class makes it from the table, then it is named,
-- its fields become attributes and methods, and it enters tab_handle.
local function construct(class_table, definition, constructor_name)
  if type(definition) ~= "table" then
    error("parameter 1 of '" .. constructor_name .. "' has wrong value or is not initialized", 3)
  end
  local element = class_table._create(definition, constructor_name)
  if element == nil then error("Internal table inconsistency", 3) end
  local object = setmetatable({ parent = class_table, handle = element }, object_meta)
  tab_handle[element] = object
  local name = definition.name
  if name ~= nil then
    if type(name) ~= "string" then
      error("option name must be a string", 3)
    end
  else
    name = IupGenerateString("str_")
  end
  IupSetHandle(name, element)
  for field, value in pairs(definition) do
    if type(field) == "string" and not construction_fields[field] and not class_table._consumed[field] then
      object:set(field, value)
    end
  end
  if class_table._after then class_table._after(object, definition) end
  return element
end

local function check_string_option(definition, option, constructor_name)
  local value = definition[option]
  if value ~= nil and type(value) ~= "string" and type(value) ~= "number" then
    error("option " .. option .. " must be a string", 4)
  end
  return value ~= nil and attribute_text(value) or nil
end

-- Positional children: every one must be an element.
local function children(definition, constructor_name)
  local list = {}
  for i, child in ipairs(definition) do
    if not is_element(child) then
      error("parameter " .. i .. " of '" .. constructor_name .. "' has wrong value or is not initialized", 4)
    end
    list[i] = child
  end
  return list
end

local function single_child(definition, constructor_name)
  local child = definition[1]
  if not is_element(child) then
    error("parameter 1 of '" .. constructor_name .. "' has wrong value or is not initialized", 4)
  end
  return child
end

local function box_class(create_box)
  return class(COMPOSITION, {
    _consumed = {},
    _create = function(definition, constructor_name)
      local list = children(definition, constructor_name)
      local box = create_box()
      for _, child in ipairs(list) do iupappend(box, child) end
      return box
    end,
  })
end

local no_fields = {}
local title_field = { title = true }

IUPHBOX = box_class(function() return IupCreateHbox() end)
IUPVBOX = box_class(function() return IupCreateVbox() end)
IUPZBOX = box_class(function() return IupCreateZbox() end)
IUPUSER = box_class(function() return IupCreateUser() end)

IUPDIALOG = class(COMPOSITION, {
  _consumed = no_fields,
  _create = function(definition, constructor_name)
    return IupCreateDialog(single_child(definition, constructor_name))
  end,
})

IUPFRAME = class(COMPOSITION, {
  _consumed = no_fields,
  _create = function(definition, constructor_name)
    return IupCreateFrame(single_child(definition, constructor_name))
  end,
})

IUPRADIO = class(COMPOSITION, {
  _consumed = no_fields,
  _create = function(definition, constructor_name)
    return IupCreateRadio(single_child(definition, constructor_name))
  end,
})

-- Elements with a title given at creation and an action routed to the
-- binding's "button_action".
local function titled_class(create, action_name)
  return class(WIDGET, {
    _consumed = title_field,
    _action_is_method = true,
    _action_name = action_name,
    _create = function(definition, constructor_name)
      return create(check_string_option(definition, "title", constructor_name))
    end,
  })
end

IUPBUTTON = titled_class(function(title) return IupCreateButton(title) end, "button_action")
IUPTOGGLE = titled_class(function(title) return IupCreateToggle(title) end, "button_action")
IUPITEM = titled_class(function(title) return IupCreateItem(title) end, "button_action")
IUPLABEL = titled_class(function(title) return IupCreateLabel(title) end, nil)
IUPLABEL._action_is_method = nil

local function plain_class(create, action_name)
  return class(WIDGET, {
    _consumed = no_fields,
    _action_is_method = action_name ~= nil,
    _action_name = action_name,
    _create = function() return create() end,
  })
end

IUPTEXT = plain_class(function() return IupCreateText() end, "text_action")
IUPMULTILINE = plain_class(function() return IupCreateMultiLine() end, "multiline_action")
IUPCANVAS = plain_class(function() return IupCreateCanvas() end, "canvas_action")
IUPLIST = plain_class(function() return IupCreateList() end, "list_action")
-- Positional strings are the items "1", "2", ...
IUPLIST._after = function(object, definition)
  for i, item in ipairs(definition) do IupSetAttribute(object.handle, tostring(i), attribute_text(item)) end
end
IUPFILL = plain_class(function() return IupCreateFill() end, nil)
IUPSEPARATOR = plain_class(function() return IupCreateSeparator() end, nil)
IUPFILEDLG = plain_class(function() return IupCreateFileDlg() end, nil)

-- Menus take elements, or tables {title, action = f} for items and
-- {title, menu} for submenus.
local function menu_entry(entry, position)
  if is_element(entry) then return entry end
  if type(entry) ~= "table" then
    error("menu entry " .. position .. " is not a table nor a menu item", 5)
  end
  local title = entry[1] or entry.title
  if type(title) ~= "string" then
    error("menu entry " .. position .. " does not have a string title", 5)
  end
  local submenu = entry[2] or entry.menu
  if submenu ~= nil then
    if type(submenu) == "table" and not is_element(submenu) then submenu = iupmenu(submenu) end
    return iupsubmenu { submenu, title = title }
  end
  if entry.action == nil then
    error("menu entry " .. position .. " does not have an action nor a menu", 5)
  end
  local definition = { title = title }
  for field, value in pairs(entry) do
    if type(field) == "string" then definition[field] = value end
  end
  return iupitem(definition)
end

IUPMENU = class(COMPOSITION, {
  _consumed = no_fields,
  _create = function(definition)
    local list = {}
    for i, entry in ipairs(definition) do list[i] = menu_entry(entry, i) end
    local menu = IupCreateMenu()
    for _, child in ipairs(list) do iupappend(menu, child) end
    return menu
  end,
})

IUPSUBMENU = class(COMPOSITION, {
  _consumed = title_field,
  _create = function(definition, constructor_name)
    local menu = single_child(definition, constructor_name)
    return IupCreateSubmenu(check_string_option(definition, "title", constructor_name), menu)
  end,
})

-- Image rows: a table of rows, each a table of pixel indices; width and
-- height, when given, must match.
IUPIMAGE = class(WIDGET, {
  _consumed = { width = true, height = true, colors = true },
  _create = function(definition)
    local height = #definition
    local width = type(definition[1]) == "table" and #definition[1] or 0
    if (definition.width and truncate(definition.width) ~= width)
        or (definition.height and truncate(definition.height) ~= height) then
      error("inconsistent image lenght", 4)
    end
    for _, row in ipairs(definition) do
      if type(row) ~= "table" or #row ~= width then error("inconsistent image lenght", 4) end
      for _, pixel in ipairs(row) do
        if type(pixel) ~= "number" then error("non-numeric value in image definition", 4) end
      end
    end
    return IupCreateImage(width, height, definition)
  end,
  _after = function(object, definition)
    if type(definition.colors) == "table" then
      for index, colour in pairs(definition.colors) do
        IupSetAttribute(object.handle, attribute_text(index), attribute_text(colour))
      end
    end
  end,
})

-- ---------------------------------------------------------------- constructors

local function constructor(class_table, name)
  return function(definition) return construct(class_table, definition, name) end
end

iupdialog = constructor(IUPDIALOG, "iupdialog")
iupradio = constructor(IUPRADIO, "iupradio")
iupmenu = constructor(IUPMENU, "iupmenu")
iupitem = constructor(IUPITEM, "iupitem")
iupsubmenu = constructor(IUPSUBMENU, "iupsubmenu")
iupseparator = constructor(IUPSEPARATOR, "iupseparator")
iuphbox = constructor(IUPHBOX, "iuphbox")
iupvbox = constructor(IUPVBOX, "iupvbox")
iupzbox = constructor(IUPZBOX, "iupzbox")
iupfill = constructor(IUPFILL, "iupfill")
iupbutton = constructor(IUPBUTTON, "iupbutton")
iuptext = constructor(IUPTEXT, "iuptext")
iupmultiline = constructor(IUPMULTILINE, "iupmultiline")
iuplabel = constructor(IUPLABEL, "iuplabel")
iuptoggle = constructor(IUPTOGGLE, "iuptoggle")
iupfiledlg = constructor(IUPFILEDLG, "iupfiledlg")
iupuser = constructor(IUPUSER, "iupuser")
iupframe = constructor(IUPFRAME, "iupframe")
iupcanvas = constructor(IUPCANVAS, "iupcanvas")
iuplist = constructor(IUPLIST, "iuplist")
iupimage = constructor(IUPIMAGE, "iupimage")

-- Compound constructors. Boxes of fields and radios, centred, with a gap.
local function with_defaults(definition, defaults)
  for field, value in pairs(defaults) do
    if definition[field] == nil then definition[field] = value end
  end
  return definition
end

function edhbox(definition)
  return iuphbox(with_defaults(definition, { alignment = "ACENTER", gap = 3 }))
end

function edvbox(definition)
  return iupvbox(with_defaults(definition, { alignment = "ALEFT", gap = 3 }))
end

-- A labelled text field: HBOX(LABEL(prompt), TEXT); the other fields go to
-- the text, which the box's object keeps as "text".
function edfield(definition)
  if type(definition) ~= "table" then
    error("parameter 1 of 'edfield' has wrong value or is not initialized", 2)
  end
  local prompt = definition.prompt
  if prompt ~= nil and type(prompt) ~= "string" then error("option prompt must be a string", 2) end
  local text_definition = {}
  for field, value in pairs(definition) do
    if field ~= "prompt" then text_definition[field] = value end
  end
  local text = iuptext(text_definition)
  local box = iuphbox { iuplabel { title = prompt or "" }, text, alignment = "ACENTER" }
  rawset(tab_handle[box], "text", text)
  return box
end

-- A radio of toggles titled by the positional strings; "value" (1-based)
-- chooses the one checked and "action" is given to every toggle.
local function radio_of(make_box, definition, constructor_name)
  if type(definition) ~= "table" then
    error("parameter 1 of '" .. constructor_name .. "' has wrong value or is not initialized", 3)
  end
  local toggles = {}
  for i, title in ipairs(definition) do
    if type(title) ~= "string" then
      error("option " .. i .. " must be a string", 3)
    end
    toggles[i] = iuptoggle { title = title, action = definition.action }
  end
  local radio = iupradio { make_box(toggles) }
  local chosen = toggles[truncate(definition.value or 1)]
  if chosen then IupSetAttribute(radio, "VALUE", handle_name(chosen)) end
  rawset(tab_handle[radio], "toggles", toggles)
  return radio
end

function edhradio(definition) return radio_of(iuphbox, definition, "edhradio") end
function edvradio(definition) return radio_of(iupvbox, definition, "edvradio") end

-- Builds the script object of an element made in C by another binding.
function iuplua_register(element, class_table)
  local object = tab_handle[element]
  if object == nil then
    object = setmetatable({ parent = class_table or WIDGET, handle = element }, object_meta)
    tab_handle[element] = object
  end
  if not IupGetName(element) then IupSetHandle(IupGenerateString("str_"), element) end
  return element
end

-- ---------------------------------------------------------------- callbacks

-- A method given as a string is run as a chunk.
local function run_method(object, method, ...)
  if type(method) == "string" then
    local chunk, message = load(method, "=" .. method)
    if not chunk then error(message, 0) end
    return chunk()
  end
  return method(object.handle, ...)
end

local function dispatcher(method_name, undefined_message, missing_answer)
  return function(element, ...)
    local object = tab_handle[element]
    local method = object and object[method_name]
    if method == nil then
      if undefined_message then print(undefined_message) end
      return missing_answer or IUP_DEFAULT
    end
    return run_method(object, method, ...)
  end
end

BUTTON_default_action = dispatcher("action", "Undefined action")
IUPLIST_default_action = dispatcher("action")
TEXT_default_action = dispatcher("action")
MULTILINE_default_action = dispatcher("action")
CANVAS_default_action = dispatcher("action")
default_getfocus = dispatcher("getfocus")
default_killfocus = dispatcher("killfocus")
-- every control carries the key route, so a control without a k_any method
-- passes the key on: a dialog's k_any then sees the keys typed in its fields
default_k_any = dispatcher("k_any", nil, -4 --[[ IUP_CONTINUE, defined below ]])
default_CLOSE_action = dispatcher("close")
default_SHOWCB_action = dispatcher("showcb")
default_MAPCB_action = dispatcher("mapcb")
default_button_press = dispatcher("button")
default_resize = dispatcher("resize")
default_motion = dispatcher("motion")
default_enterwindow = dispatcher("enterwindow")
default_leavewindow = dispatcher("leavewindow")
default_scroll = dispatcher("scroll")
default_wheel = dispatcher("wheel")

-- ---------------------------------------------------------------- constants

IUP_CENTER, IUP_LEFT, IUP_RIGHT, IUP_ANYWHERE, IUP_MOUSEPOS = -1, -2, -3, -4, -5
IUP_TOP, IUP_BOTTOM = -2, -3
IUP_BUTTON1, IUP_BUTTON2, IUP_BUTTON3 = 49, 50, 51
IUP_IGNORE, IUP_DEFAULT, IUP_CLOSE, IUP_CONTINUE = -1, -2, -3, -4
IUP_SHOW, IUP_RESTORE, IUP_MINIMIZE = 0, 1, 2
-- scrollbar operations handed to a canvas's scroll method
IUP_SBUP, IUP_SBDN, IUP_SBPGUP, IUP_SBPGDN, IUP_SBPOSV = 1, 2, 3, 4, 5
IUP_SBPGLEFT, IUP_SBPGRIGHT, IUP_SBLEFT, IUP_SBRIGHT, IUP_SBPOSH = 6, 7, 8, 9, 10
IUP_SBDRAGH, IUP_SBDRAGV = 11, 12

local text_constants = {
  "ON", "OFF", "YES", "NO", "APPEND", "VERTICAL", "HORIZONTAL",
  "ACENTER", "ALEFT", "ARIGHT", "ATOP", "ABOTTOM", "NORTH", "SOUTH", "WEST", "EAST",
  "NE", "SE", "NW", "SW",
  "FULL", "HALF", "THIRD", "QUARTER", "EIGHTH",
  "ARROW", "BUSY", "RESIZE_N", "RESIZE_S", "RESIZE_E", "RESIZE_W", "RESIZE_NE",
  "RESIZE_NW", "RESIZE_SE", "RESIZE_SW", "MOVE", "HAND", "NONE", "IUP", "CROSS",
  "PEN", "TEXT", "RESIZE_C", "OPENHAND",
}
for _, value in ipairs(text_constants) do _G["IUP_" .. value] = value end

for _, face in ipairs { "HELVETICA", "COURIER", "TIMES" } do
  for _, style in ipairs { "NORMAL", "ITALIC", "BOLD" } do
    for _, size in ipairs { 8, 10, 12, 14 } do
      local font = face .. "_" .. style .. "_" .. size
      _G["IUP_" .. font] = font
    end
  end
end

function IupRGB(red, green, blue)
  return string.format("%d %d %d", truncate(red), truncate(green), truncate(blue))
end

RED = IupRGB(255, 0, 0)
GREEN = IupRGB(0, 255, 0)
BLUE = IupRGB(0, 0, 255)
BLACK = IupRGB(0, 0, 0)
WHITE = IupRGB(255, 255, 255)
YELLOW = IupRGB(255, 255, 0)
MAGENTA = IupRGB(255, 0, 255)
CYAN = IupRGB(0, 255, 255)
DGREEN = IupRGB(0, 128, 0)
DRED = IupRGB(128, 0, 0)
DBLUE = IupRGB(0, 0, 128)
GRAY = IupRGB(128, 128, 128)
LGRAY = IupRGB(192, 192, 192)
DGRAY = IupRGB(64, 64, 64)
ORANGE = IupRGB(255, 128, 0)

-- Script errors met in callbacks are shown in a message box.
seterrormethod(IupNewError)
