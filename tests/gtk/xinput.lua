-- Real X input for the GTK tests: xdotool commands and a step runner that
-- performs one action at a time from the idle function and waits (bounded)
-- for what it should cause.
xinput = {}

function xinput.run(command)
  return os.execute("timeout 10 xdotool " .. command .. " >/dev/null 2>&1")
end

-- The X window of a shown dialog, by its title.
function xinput.window(title)
  local pipe = io.popen("timeout 10 xdotool search --sync --onlyvisible --name '^" .. title .. "$' 2>/dev/null")
  local id = pipe:read("l")
  pipe:close()
  return id
end

function xinput.click(window, x, y, extra)
  return xinput.run(string.format("mousemove --window %s %d %d click %s1", window, x, y, extra or ""))
end

-- steps: list of { action = function, done = function -> bool, what = text }.
-- Each action runs once the previous step is done (or timed out, which
-- fails it); then on_end runs.
function xinput.steps(steps, on_end)
  local index, started = 0, 0
  local function advance()
    index = index + 1
    local step = steps[index]
    if step == nil then
      IupSetIdle(nil)
      on_end()
      return
    end
    started = os.time()
    if step.action then step.action() end
  end
  IupSetIdle(function()
    local step = steps[index]
    if index == 0 or step.done == nil or step.done() then
      advance()
    elseif os.time() - started > 8 then
      check(false, "timed out: " .. (step.what or ("step " .. index)))
      advance()
    end
    return IUP_DEFAULT
  end)
end
