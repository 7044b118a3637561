-- ESPA 4.4.4 on a captured RS-232 line, for Wireshark and tshark.
--
-- The captures are pcap files of link type USER0 (147) as espa-emulator writes them: each record
-- is a direction byte (0 from the central, 1 from the paging system) and the bytes one read
-- delivered. A read may end anywhere in a frame, so each direction is decoded by its own state
-- machine across records, on the first pass only; what completed in a record is remembered by its
-- packet number, so tshark's single pass and Wireshark's later clicks show the same thing.
--
--   tshark -X lua_script:espa.lua -r line.pcap -V
--   or copy this file into Wireshark's plugin folder (Help > About > Folders, "Lua plugins").

local espa = Proto("ESPA", "ESPA 4.4.4 line")

local SOH, STX, ETX, EOT, ENQ = 0x01, 0x02, 0x03, 0x04, 0x05
local ACK, NAK, RS, US = 0x06, 0x15, 0x1E, 0x1F
local FROM_CENTRAL, FROM_PAGING_SYSTEM = 0, 1
-- As long as a receiver waits for the next character of a frame.
local QUIET_S = 3.0
-- A check character still missing when the other side has sent for this long never comes.
local MOVED_ON_S = 1.0
-- Memory stays bounded on a line that sends garbage or a block that never ends.
local LONGEST_NOISE, LONGEST_BLOCK = 256, 4096
-- What CommTechWireLess paging systems add to the check of a status transfer.
local COMMTECH_OFFSET = 6

local directions = {
    [FROM_CENTRAL] = "from the central",
    [FROM_PAGING_SYSTEM] = "from the paging system",
}
local block_names = { [0x31] = "call", [0x32] = "status transfer", [0x33] = "status request" }

local f = {
    direction = ProtoField.uint8("espa.direction", "Direction", base.DEC, directions),
    frame = ProtoField.none("espa.frame", "Frame"),
    kind = ProtoField.string("espa.kind", "Kind"),
    address = ProtoField.string("espa.address", "Address"),
    header = ProtoField.string("espa.header", "Block type"),
    field = ProtoField.none("espa.field", "Field"),
    field_id = ProtoField.string("espa.field.id", "Identifier"),
    field_value = ProtoField.string("espa.field.value", "Value"),
    check = ProtoField.uint8("espa.check", "Check character", base.HEX),
    check_expected = ProtoField.uint16("espa.check.expected", "Expected check character", base.HEX),
    check_verdict = ProtoField.string("espa.check.verdict", "Check"),
    noise = ProtoField.string("espa.noise", "Noise"),
}
espa.fields = f

local wrong_check = ProtoExpert.new("espa.check.wrong", "Wrong check character",
    expert.group.CHECKSUM, expert.severity.WARN)
local missing_check = ProtoExpert.new("espa.check.missing", "Check character missing",
    expert.group.MALFORMED, expert.severity.WARN)
espa.experts = { wrong_check, missing_check }

espa.prefs.commtech = Pref.bool("CommTechWireLess paging system", false,
    "The paging system raises the check character of its status transfers by 6")

-- Per direction: the state machine's step and the frame being read, with where it began.
local sides
-- Per packet number: the frames that completed in that record.
local completed

local function new_side(direction)
    return { direction = direction, step = "idle", bytes = "", last = nil, noise = "" }
end

function espa.init()
    sides = {
        [FROM_CENTRAL] = new_side(FROM_CENTRAL),
        [FROM_PAGING_SYSTEM] = new_side(FROM_PAGING_SYSTEM),
    }
    completed = {}
end

function espa.prefs_changed()
    espa.init()
end

local function xor_of(text)
    local check = 0
    for i = 1, #text do
        check = bit.bxor(check, text:byte(i))
    end
    return check
end

-- `body` runs from the byte after SOH up to and including ETX.
local function expected_check(body, direction)
    local check = xor_of(body)
    if espa.prefs.commtech and direction == FROM_PAGING_SYSTEM and body:byte(1) == 0x32 then
        check = check + COMMTECH_OFFSET
    end
    return check
end

local function is_digit(byte)
    return byte >= 0x30 and byte <= 0x39
end

-- A position is where a byte sits: the packet number and the offset in that record.
local function start(side, step, byte, at)
    side.step, side.bytes, side.at = step, string.char(byte), at
end

local function append(side, byte)
    side.bytes = side.bytes .. string.char(byte)
end

local function emit(side, kind, out, noise)
    out[#out + 1] = {
        direction = side.direction, kind = kind, bytes = side.bytes, at = side.at, noise = noise,
    }
    side.step, side.bytes = "idle", ""
end

local function flush_noise(side, out)
    if #side.noise > 0 then
        out[#out + 1] = {
            direction = side.direction, kind = "noise", bytes = side.noise, at = side.noise_at,
            noise = "stray bytes",
        }
        side.noise = ""
    end
end

local function noise_byte(side, byte, at, out)
    if #side.noise == 0 then
        side.noise_at = at
    end
    side.noise = side.noise .. string.char(byte)
    if #side.noise >= LONGEST_NOISE then
        flush_noise(side, out)
    end
end

local function emit_block(side, out)
    local bytes = side.bytes
    emit(side, "block", out)
    local frame = out[#out]
    local etx = bytes:find(string.char(ETX), 1, true)
    frame.expected = expected_check(bytes:sub(2, etx), side.direction)
    if #bytes > etx then
        frame.received = bytes:byte(etx + 1)
        frame.verdict = frame.received == frame.expected and "right" or "wrong"
    else
        frame.verdict = "missing"
    end
end

local function take(side, byte, at, out)
    local step = side.step
    if step == "idle" then
        if byte == SOH then
            flush_noise(side, out)
            start(side, "block", byte, at)
        elseif byte == ACK or byte == NAK or byte == EOT then
            flush_noise(side, out)
            start(side, "idle", byte, at)
            emit(side, byte == ACK and "ack" or byte == NAK and "nak" or "eot", out)
        elseif is_digit(byte) then
            -- Not yet a frame: without ENQ after it the digit is noise.
            start(side, "digit", byte, at)
        else
            noise_byte(side, byte, at, out)
        end
    elseif step == "digit" then
        if byte ~= ENQ then
            noise_byte(side, side.bytes:byte(1), side.at, out)
            side.step, side.bytes = "idle", ""
            return take(side, byte, at, out)
        end
        flush_noise(side, out)
        append(side, byte)
        -- Only the central's "1" ENQ waits for "2" ENQ; the paging system's "1" ENQ selects the
        -- central, and any other digit polls.
        if side.direction == FROM_CENTRAL and side.bytes:byte(1) == 0x31 then
            side.step = "select digit"
        else
            emit(side, side.direction == FROM_CENTRAL and "poll" or "select", out)
        end
    elseif step == "select digit" or step == "select enq" then
        local fits = (step == "select digit" and is_digit(byte))
            or (step == "select enq" and byte == ENQ)
        if not fits then
            emit(side, "noise", out, "select cut short")
            return take(side, byte, at, out)
        end
        append(side, byte)
        if step == "select digit" then
            side.step = "select enq"
        else
            emit(side, "select", out)
        end
    elseif step == "block" then
        if byte == SOH then
            emit(side, "noise", out, "block broken off by SOH")
            return start(side, "block", byte, at)
        end
        if byte == EOT then
            emit(side, "noise", out, "block cut short")
            return take(side, byte, at, out)
        end
        append(side, byte)
        if #side.bytes >= LONGEST_BLOCK and byte ~= ETX then
            return emit(side, "noise", out, "block cut short")
        end
        if byte == ETX then
            side.step = "check"
            -- A raised check above 255 is never sent: the block ends here.
            if expected_check(side.bytes:sub(2), side.direction) > 255 then
                emit_block(side, out)
            end
        end
    elseif step == "check" then
        append(side, byte)
        emit_block(side, out)
    end
end

-- Ends whatever is open, as a line going quiet does.
local function close(side, out)
    local step = side.step
    if step == "digit" then
        noise_byte(side, side.bytes:byte(1), side.at, out)
        side.step, side.bytes = "idle", ""
    elseif step == "select digit" or step == "select enq" then
        emit(side, "noise", out, "select cut short")
    elseif step == "block" then
        emit(side, "noise", out, "block cut short")
    elseif step == "check" then
        emit_block(side, out)
    end
    flush_noise(side, out)
end

local function close_if_older(side, limit, out)
    if (side.step ~= "idle" or #side.noise > 0) and side.last and side.last <= limit then
        close(side, out)
    end
end

local function decode(tvb, pinfo, direction)
    local out = {}
    local own, other = sides[direction], sides[1 - direction]
    local now = pinfo.abs_ts
    close_if_older(own, now - QUIET_S, out)
    -- A check character that never came: the other side has answered or started anew.
    if other.step == "check" then
        close_if_older(other, now - MOVED_ON_S, out)
    end
    local bytes = tvb:raw(1)
    for offset = 1, #bytes do
        take(own, bytes:byte(offset), { packet = pinfo.number, offset = offset }, out)
    end
    own.last = now
    -- Stray bytes are shown in the record that brought them.
    flush_noise(own, out)
    return out
end

-- The frame's bytes: a range of this record when it began here, else a reassembled buffer.
local function frame_bytes(tvb, pinfo, frame)
    if frame.at.packet == pinfo.number then
        return tvb(frame.at.offset, #frame.bytes)
    end
    return ByteArray.new(frame.bytes, true):tvb("Reassembled ESPA frame")()
end

local function check_text(frame)
    if frame.verdict == "right" then
        return "check right"
    elseif frame.verdict == "wrong" then
        return string.format("check wrong 0x%02X, expected 0x%02X", frame.received, frame.expected)
    elseif frame.expected > 255 then
        return "check not sent (raised above 255)"
    end
    return string.format("check missing, expected 0x%02X", frame.expected)
end

-- Line text is Latin-1; a tree label is UTF-8. Control bytes become dots.
local function readable(text)
    return (text:gsub("[%z\1-\31]", "."):gsub("[\128-\255]", function(c)
        local b = c:byte()
        return string.char(0xC0 + math.floor(b / 64), 0x80 + b % 64)
    end))
end

local function show_block(item, range, frame)
    local bytes = frame.bytes
    local etx = bytes:find(string.char(ETX), 1, true)
    local stx = bytes:find(string.char(STX), 1, true)
    local header = bytes:byte(2)
    local label = "Block"
    if header ~= STX then
        label = block_names[header] or ("block type 0x" .. string.format("%02X", header))
        item:add_packet_field(f.header, range(1, 1), ENC_ISO_8859_1)
            :append_text(" (" .. label .. ")")
    end
    if stx and stx < etx then
        local first = stx + 1
        while first < etx do
            local last = bytes:find(string.char(RS), first, true)
            if not last or last > etx then
                last = etx
            end
            local length = last - first
            if length > 0 then
                local field = item:add(f.field, range(first - 1, length))
                if length >= 2 and bytes:byte(first + 1) == US then
                    field:add_packet_field(f.field_id, range(first - 1, 1), ENC_ISO_8859_1)
                    if length > 2 then
                        local value = range(first + 1, length - 2)
                        field:add_packet_field(f.field_value, value, ENC_ISO_8859_1)
                    else
                        field:add(f.field_value, range(first, 1), "")
                    end
                    field:set_text("Field " .. readable(bytes:sub(first, first)) .. ": " ..
                        readable(bytes:sub(first + 2, last - 1)))
                else
                    field:add(f.field_id, range(first - 1, 1), "?")
                    field:add_packet_field(f.field_value, range(first - 1, length), ENC_ISO_8859_1)
                end
            end
            first = last + 1
        end
    end
    local verdict
    if frame.received then
        verdict = item:add(f.check, range(etx, 1))
    else
        verdict = item
    end
    item:add(f.check_expected, range(etx - 1, 1), frame.expected)
    item:add(f.check_verdict, range(etx - 1, 1), frame.verdict)
    if frame.verdict == "wrong" then
        verdict:add_proto_expert_info(wrong_check, check_text(frame))
    elseif frame.verdict == "missing" then
        verdict:add_proto_expert_info(missing_check, check_text(frame))
    end
    return label .. ", " .. check_text(frame)
end

local function show(tvb, pinfo, tree, frame)
    local range = frame_bytes(tvb, pinfo, frame)
    local item = tree:add(f.frame, range)
    item:add(f.kind, range, frame.kind)
    local text
    if frame.kind == "select" or frame.kind == "poll" then
        local address = frame.bytes:gsub(string.char(ENQ), "")
        item:add(f.address, range, address)
        text = frame.kind .. " " .. address
    elseif frame.kind == "ack" or frame.kind == "nak" or frame.kind == "eot" then
        text = frame.kind:upper()
    elseif frame.kind == "block" then
        text = show_block(item, range, frame)
    else
        item:add(f.noise, range, frame.noise)
        local count = #frame.bytes
        text = frame.noise .. " (" .. count .. (count == 1 and " byte)" or " bytes)")
    end
    item:set_text(text)
    return text
end

function espa.dissector(tvb, pinfo, tree)
    if tvb:len() < 1 then
        return 0
    end
    local direction = tvb(0, 1):uint()
    if direction ~= FROM_CENTRAL and direction ~= FROM_PAGING_SYSTEM then
        return 0
    end
    pinfo.cols.protocol = "ESPA"
    pinfo.cols.src = direction == FROM_CENTRAL and "central" or "paging system"
    pinfo.cols.dst = direction == FROM_CENTRAL and "paging system" or "central"
    if not pinfo.visited then
        completed[pinfo.number] = decode(tvb, pinfo, direction)
    end
    local subtree = tree:add(espa, tvb(),
        "ESPA, " .. directions[direction] .. ", " .. (tvb:len() - 1) .. " bytes")
    subtree:add(f.direction, tvb(0, 1))
    local texts = {}
    for _, frame in ipairs(completed[pinfo.number] or {}) do
        local text = show(tvb, pinfo, subtree, frame)
        texts[#texts + 1] = (frame.direction == FROM_CENTRAL and "C->P " or "P->C ") .. text
    end
    pinfo.cols.info = #texts > 0 and table.concat(texts, "; ") or "(part of a frame)"
    return tvb:len()
end

DissectorTable.get("wtap_encap"):add(wtap_encaps.USER0, espa)
