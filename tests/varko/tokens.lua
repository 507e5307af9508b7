-- The token check of project files (CheckProjectTokens) splits a text where
-- Lua's own lexer splits it: every line end form in every context ends or
-- continues the same things and counts the same lines as `load` of the same
-- text, and nothing that Lua would run as code passes.
dofile("harness.lua")

-- Line ends and the lines each counts.
local LINE_ENDS = {
  { "LF", "\n", 1 }, { "CR", "\r", 1 }, { "CRLF", "\r\n", 1 }, { "LFCR", "\n\r", 1 },
  { "LF LF", "\n\n", 2 }, { "CR CR", "\r\r", 2 }, { "LFCR LF", "\n\r\n", 2 }, { "CRLF CR", "\r\n\r", 2 },
  { "CRLF CRLF", "\r\n\r\n", 2 },
}

-- The line of "name:N:" in a message of load.
local function load_line(message) return tonumber(tostring(message):match("^[^:]*:(%d+):")) end
local function check_line(message) return tonumber(tostring(message):match("^line (%d+):")) end

-- Contexts: <E> stands for the line end. Each text is data, but an '@'
-- stands where Lua sees the next token: the checker and load must both
-- refuse it there, on the same line; without the '@' both accept the text
-- and load's value is data the bounded loader returns the same.
local CONTEXTS = {
  { "between tokens", "return {<E> a = 1,<E> @ }" },
  { "short comment", "return { -- note<E> a = 1, @ }" },
  { "short comment after a bracket that is no long bracket", "return { --[= x<E> a = 1, @ }" },
  { "long comment", "return { --[[ a<E> b ]] a = 1,<E> @ }" },
  { "long comment of level 2", "return { --[==[ ]] <E> ]=] ]==] a = 1,<E> @ }" },
  { "long string, line end first", "return { s = [[<E>x<E>]],<E> @ }" },
  { "long string of level 1", "return { s = [=[ ]] <E> ]==] ]=],<E> @ }" },
  -- one line end: a second one would end the string unfinished
  { "escaped line end in a string", "return { s = \"a\\<E> b\",<E> @ }", single = true },
  { "\\z before line ends", "return { s = 'a\\z <E>\t<E> b',<E> @ }" },
  { "key on the next line", "return {<E> key<E> =<E> -<E> 1.5,<E> @ }" },
}

for _, context in ipairs(CONTEXTS) do
  for _, line_end in ipairs(LINE_ENDS) do
    if context.single and line_end[3] > 1 then goto next_form end
    local name = context[1] .. ", " .. line_end[1]
    local text = context[2]:gsub("<E>", function() return line_end[2] end)
    local before = context[2]:sub(1, context[2]:find("@", 1, true))
    local _, ends_before = before:gsub("<E>", "")
    local expected_line = 1 + ends_before * line_end[3]

    local ok, problem = CheckProjectTokens(text)
    local chunk, load_problem = load(text, "=t", "t", {})
    check_eq(ok, nil, name .. ": the '@' is refused")
    check_eq(problem, "line " .. expected_line .. ": '@' is not allowed in a project file", name .. ": where")
    check_eq(chunk, nil, name .. ": load refuses it too")
    check_eq(load_line(load_problem), check_line(problem), name .. ": on load's line")

    local data_text = text:gsub("@ ", "")
    check_eq(CheckProjectTokens(data_text), true, name .. ": without the '@' the text is data")
    local data_chunk = load(data_text, "=t", "t", {})
    check(data_chunk ~= nil, name .. ": load compiles it")
    local loaded = LoadDataChunk(data_text, "=t")
    local expected = data_chunk and data_chunk()
    check(type(loaded) == "table" and type(expected) == "table", name .. ": both give a table")
    if type(loaded) == "table" and type(expected) == "table" then
      check_eq(loaded.s, expected.s, name .. ": the same string")
      check_eq(loaded.a, expected.a, name .. ": the same number")
      check_eq(loaded.key, expected.key, name .. ": the same key")
    end
    ::next_form::
  end
end

-- Code where a line end form ends a comment: Lua compiles it as code, the
-- checker refuses the first name that is not a key, on Lua's line.
for _, line_end in ipairs(LINE_ENDS) do
  local name = "code behind a comment ended by " .. line_end[1]
  local text = "return { --" .. line_end[2] .. " x = f(), }"
  check(load(text, "=t", "t", {}) ~= nil, name .. ": Lua reads code")
  check_eq(select(2, CheckProjectTokens(text)),
           "line " .. (1 + line_end[3]) .. ": 'f' is not allowed in a project file (only tables, strings, numbers, true and false)",
           name .. ": refused")
end

-- Single tokens where load is the judge: a text that is data passes the
-- checker exactly when load compiles it. The message is the checker's.
local TOKENS = {
  { "decimal", "12", true }, { "leading zero", "08", true }, { "fraction", "3.", true }, { "point first", ".5", true },
  { "exponent", "1e+5", true }, { "exponent no sign", "2E3", true }, { "hex", "0xfF", true },
  { "hex float", "0x1p4", true }, { "hex fraction", "0x.8p-1", true }, { "hex with e", "0xep-1", true },
  { "huge integer", "9223372036854775808", true },
  { "exponent without digits", "1e", false, "line 1: malformed number '1e'" },
  { "hex without digits", "0x", false, "line 1: malformed number '0x'" },
  { "two points", "1..2", false, "line 1: malformed number '1..2'" },
  { "numeral touching a letter", "3x", false, "line 1: malformed number '3x'" },
  { "decimal with p exponent", "1p4", false, "line 1: malformed number '1p'" },
  { "point then hex", ".0x5", false, "line 1: malformed number '.0x5'" },
  { "inf is no numeral", "1inf", false, "line 1: malformed number '1i'" },
  { "escapes", [["\a\b\f\n\r\t\v\\\"\'"]], true },
  { "hex escape", [["\x41\xfF"]], true },
  { "short hex escape", [["\x4"]], false, "line 1: hexadecimal digit expected" },
  { "utf-8 escape", [["\u{48}\u{7FFFFFFF}"]], true },
  { "utf-8 escape too large", [["\u{80000000}"]], false, "line 1: UTF-8 value too large" },
  { "utf-8 escape without brace", [["\u48"]], false, "line 1: missing '{' in \\u{xxxx}" },
  { "utf-8 escape unclosed", [["\u{48"]], false, "line 1: missing '}' in \\u{xxxx}" },
  { "utf-8 escape empty", [["\u{}"]], false, "line 1: hexadecimal digit expected" },
  { "decimal escapes", [["\0\65\255\0012"]], true },
  { "decimal escape too large", [["\256"]], false, "line 1: decimal escape too large" },
  { "unknown escape", [["\q"]], false, "line 1: invalid escape sequence" },
  { "unclosed string", "'abc", false, "line 1: unfinished string" },
  { "unclosed long string", "[==[ abc ]=]", false, "line 1: unfinished long string" },
  { "long string delimiter without second bracket", "[== abc", false, "line 1: invalid long string delimiter" },
}
for _, case in ipairs(TOKENS) do
  local text = "return { " .. case[2] .. " }"
  local ok, problem = CheckProjectTokens(text)
  check_eq(ok, case[3] or nil, case[1] .. ": verdict")
  check_eq(load(text, "=t", "t", {}) ~= nil, case[3], case[1] .. ": load agrees")
  if not case[3] then check_eq(problem, case[4], case[1] .. ": message") end
end

-- Texts that Lua reads as code or that it refuses, with the checker's words.
local REFUSED = {
  { "expression behind a hex numeral", "return { 0x1e+1 }", "line 1: '+' is not allowed in a project file" },
  { "unclosed long comment", "return { a = 1, --[[\n x }", "line 1: unfinished long comment" },
  -- an unclosed comment bracket on each line was searched to the end for
  -- each one: refused at the first now
  { "unclosed long comments on every line", "return { a = 1, " .. ("--[[ x\n"):rep(50000) .. "}",
    "line 1: unfinished long comment" },
  { "call with a table", "return { a = f{} }", "line 1: 'f' is not allowed in a project file (only tables, strings, numbers, true and false)" },
  { "method call on a string", "return { ('x'):rep(9) }", "line 1: '(' is not allowed in a project file" },
  { "length", "return { #'x' }", "line 1: '#' is not allowed in a project file" },
  { "minus before a name", "return { - x }", "line 1: unexpected '-'" },
  -- a minus after a value subtracts: Lua runs it (found by the project-file fuzzer)
  { "table minus a number", "return { {} -.5 }", "line 1: unexpected '-'" },
  { "number minus a number", "return { a = 1 -1 }", "line 1: unexpected '-'" },
  { "string minus a number", "return { '9' - 1 }", "line 1: unexpected '-'" },
  { "table minus across a comment and a line end", "return { {} --[[ c ]]\r\n- 1 }", "line 2: unexpected '-'" },
  { "index minus a number", "return { [1] -1 }", "line 1: unexpected '-'" },
  { "equality", "return { a == 1 }", "line 1: 'a' is not allowed in a project file (only tables, strings, numbers, true and false)" },
  { "key after a value", "return { 1 x = 2 }", "line 1: 'x' is not allowed in a project file (only tables, strings, numbers, true and false)" },
  { "second table", "return { } { }", "line 1: text after the end of the project table" },
  { "no return", "{ }", "line 1: a project file starts with 'return {'" },
  { "return then a string", "return 'x'", "line 1: a project file starts with 'return {'" },
  { "returned name", "returnx { }", "line 1: a project file starts with 'return {'" },
  { "backslash at the end of the text", "return { \"\\", "line 1: unfinished string" },
  { "NUL byte", "return { \0 }", "line 1: '<\\0>' is not allowed in a project file" },
  { "only a comment", "-- nothing\n", "line 1: the file is empty" },
  { "unclosed", "return {\n{\n}\n", "line 4: the project table is not closed" },
  { "closing too often", "return { } }", "line 1: text after the end of the project table" },
}
for _, case in ipairs(REFUSED) do
  local ok, problem = CheckProjectTokens(case[2])
  check_eq(ok, nil, case[1] .. ": refused")
  check_eq(problem, case[3], case[1] .. ": message")
end
check_eq(CheckProjectTokens("return {} -- end\r"), true, "a comment after the table")
check_eq(CheckProjectTokens("return{[ [[k]] ]=[=[v]=];[1]=-.5,}"), true, "brackets, keys and separators packed")
check_eq(CheckProjectTokens("return { -1, [-2] = - 3; -\n.5, x = -0x10 }"), true,
         "a minus where a value starts: first, after a separator, as a key, after '='")

check_errors({
  { "a number is no text", function() return CheckProjectTokens(5) end, "CheckProjectTokens: invalid text parameter!" },
  { "no text", function() return CheckProjectTokens() end, "CheckProjectTokens: invalid text parameter!" },
  { "extra argument", function() return CheckProjectTokens("return {}", 1) end, "CheckProjectTokens: too many parameters!" },
})
finish()
