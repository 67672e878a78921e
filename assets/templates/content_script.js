/*! ovcore content script 1.0.0 */
(function () {
  'use strict';

  // Filled in by the core for one page. CSS texts and the script are strings
  // or null; the contexts are JSON objects; the safebrowsing URL may be null.
  var config = {
    commonCss: $_commonCss_,
    specificCss: $_specificCss_,
    extendedCss: $_extendedCss_,
    script: $_script_,
    nonce: $_nonce_,
    filteringContext: $_filteringContext_,
    interceptionContext: $_interceptionContext_,
    safeBrowsingUrl: $_safeBrowsingUrl_
  };

  var doc = document;

  function insertionPoint() {
    return doc.head || doc.documentElement;
  }

  function withNonce(element) {
    if (config.nonce) element.setAttribute('nonce', config.nonce);
    return element;
  }

  // ---------------------------------------------------------------------
  // Selector and style sheet parsing.
  //
  // A selector list compiles to an array of complex selectors; a complex
  // selector is a list of steps, each with the combinator that leads to it,
  // a native part that querySelectorAll understands and the extended
  // operations that follow it, in the order they were written.

  var EXTENDED = {
    'has': compileHas,
    '-abp-has': compileHas,
    'contains': compileContains,
    'has-text': compileContains,
    '-abp-contains': compileContains,
    'matches-css': compileMatchesCss,
    'matches-css-before': compileMatchesCss,
    'matches-css-after': compileMatchesCss,
    'matches-attr': compileMatchesAttr,
    'matches-property': compileMatchesProperty,
    'xpath': compileXpath,
    'nth-ancestor': compileNthAncestor,
    'upward': compileUpward,
    'min-text-length': compileMinTextLength,
    'not': compileNot,
    'is': compileIs
  };

  // Pseudo-classes whose argument is a selector list: they stay native when
  // the list is, and become our own operations when it holds extended parts.
  var LIST_ARGUMENT = { 'has': true, '-abp-has': true, 'not': true, 'is': true };

  // Arguments of free text, which may hold a /regex/ with unbalanced
  // parentheses or a lone quote.
  var TEXT_ARGUMENT = {
    'contains': true, 'has-text': true, '-abp-contains': true, 'matches-css': true,
    'matches-css-before': true, 'matches-css-after': true, 'matches-attr': true,
    'matches-property': true
  };

  // Thrown for text that is not a selector or block we understand.
  function ParseError() {}

  function isSpace(c) {
    return c === ' ' || c === '\t' || c === '\n' || c === '\r' || c === '\f';
  }

  function isNameChar(c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
      c === '-' || c === '_' || c === '\\' || c > '\x7f';
  }

  // Skips a quoted string starting at `i`; returns the index after it.
  function skipString(src, i) {
    var quote = src[i];
    for (i++; i < src.length; i++) {
      var c = src[i];
      if (c === '\\') i++;
      else if (c === quote) return i + 1;
      else if (c === '\n') break;
    }
    throw new ParseError();
  }

  // Skips a /regex/flags starting at `i`; a "/" inside [...] does not end it.
  function skipRegex(src, i) {
    var inClass = false;
    for (i++; i < src.length; i++) {
      var c = src[i];
      if (c === '\\') i++;
      else if (c === '\n') break;
      else if (c === '[') inClass = true;
      else if (c === ']') inClass = false;
      else if (c === '/' && !inClass) {
        for (i++; i < src.length && /[a-z]/i.test(src[i]); i++);
        return i;
      }
    }
    throw new ParseError();
  }

  // Tries `skip` at src[i]; a quote or slash that opens nothing valid is an
  // ordinary character of a text argument (":has-text(Don't)").
  function skipOrStep(skip, src, i) {
    try {
      return skip(src, i);
    } catch (e) {
      return i + 1;
    }
  }

  // Reads the parenthesised argument starting at src[i] === '('; returns
  // the raw text and the index after the closing parenthesis. In a text
  // argument, quotes and /regex/ only count where a value starts.
  function readArgument(src, i, textual) {
    var depth = 0;
    var start = i + 1;
    var last = '(';
    while (i < src.length) {
      var c = src[i];
      if (c === '\n') break;
      var opensValue = depth === 1 && '(,=:'.indexOf(last) >= 0;
      if ((c === '"' || c === '\'') && (!textual || opensValue)) {
        i = textual ? skipOrStep(skipString, src, i) : skipString(src, i);
        last = c;
        continue;
      }
      if (c === '/' && textual && opensValue) {
        i = skipOrStep(skipRegex, src, i);
        last = '/';
        continue;
      }
      if (c === '\\') i++;
      else if (c === '(') depth++;
      else if (c === ')' && --depth === 0) return { text: src.slice(start, i), end: i + 1 };
      if (!isSpace(c)) last = c;
      i++;
    }
    throw new ParseError();
  }

  function readName(src, i) {
    var start = i;
    while (i < src.length && isNameChar(src[i])) i += src[i] === '\\' ? 2 : 1;
    return src.slice(start, i);
  }

  function Parser(src) {
    this.src = src;
    this.i = 0;
  }

  Parser.prototype.skipSpace = function () {
    var moved = false;
    while (this.i < this.src.length && isSpace(this.src[this.i])) {
      this.i++;
      moved = true;
    }
    return moved;
  };

  Parser.prototype.peek = function () {
    return this.src[this.i];
  };

  // selector-list := complex ("," complex)* ; stops before `stop` or the end.
  Parser.prototype.list = function (stop, relative) {
    var list = [];
    for (;;) {
      this.skipSpace();
      list.push(this.complex(stop, relative));
      if (this.peek() !== ',') break;
      this.i++;
    }
    if (this.i < this.src.length && this.peek() !== stop) throw new ParseError();
    return list;
  };

  Parser.prototype.combinator = function () {
    var spaced = this.skipSpace();
    var c = this.peek();
    if (c === '>' || c === '+' || c === '~') {
      this.i++;
      this.skipSpace();
      return c;
    }
    return spaced ? ' ' : null;
  };

  Parser.prototype.complex = function (stop, relative) {
    var steps = [];
    var comb = relative ? (this.combinator() || ' ') : null;
    for (;;) {
      var step = this.compound();
      step.comb = comb;
      steps.push(step);
      comb = this.combinator();
      var c = this.peek();
      if (c === undefined || c === ',' || c === stop) break;
      if (comb === null) throw new ParseError();
    }
    return steps;
  };

  Parser.prototype.compound = function () {
    var step = { native: '', ops: [], remove: false };
    var mapped = false;
    var start = this.i;
    for (;;) {
      var c = this.peek();
      var from = this.i;
      var text = null;
      if (step.remove && c !== undefined && !isSpace(c) && '>+~,{)'.indexOf(c) < 0) {
        throw new ParseError();
      }
      if (c === '*' || (c !== undefined && isNameChar(c))) {
        // A type selector comes first in a compound, or not at all.
        if (from !== start) throw new ParseError();
        this.i += c === '*' ? 1 : readName(this.src, this.i).length;
        text = this.src.slice(from, this.i);
      } else if (c === '#' || c === '.') {
        var name = readName(this.src, this.i + 1);
        if (!name) throw new ParseError();
        this.i += 1 + name.length;
        text = this.src.slice(from, this.i);
      } else if (c === '[') {
        text = this.attribute();
      } else if (c === ':') {
        var op = this.pseudo(step);
        if (typeof op === 'string') text = op;
        else if (op) {
          step.ops.push(op);
          if (op.map) mapped = true;
        }
      } else {
        break;
      }
      if (text !== null) {
        // Native parts written after an operation that moves to other
        // elements (:upward, :xpath) apply to those elements.
        if (mapped) step.ops.push(nativeFilter(text));
        else step.native += text;
      }
    }
    if (this.i === start) throw new ParseError();
    return step;
  };

  Parser.prototype.attribute = function () {
    var src = this.src;
    var i = this.i + 1;
    while (i < src.length && src[i] !== ']') {
      if (src[i] === '"' || src[i] === '\'') i = skipString(src, i);
      else if (src[i] === '\n') throw new ParseError();
      else i += src[i] === '\\' ? 2 : 1;
    }
    if (i >= src.length) throw new ParseError();
    var text = src.slice(this.i, i + 1);
    this.i = i + 1;
    return text;
  };

  // Returns native text to keep, an operation object, or null for :remove().
  Parser.prototype.pseudo = function (step) {
    var src = this.src;
    var from = this.i;
    var element = src[from + 1] === ':';
    var name = readName(src, from + (element ? 2 : 1));
    if (!name) throw new ParseError();
    this.i = from + (element ? 2 : 1) + name.length;
    var key = name.toLowerCase();
    var arg = null;
    if (this.peek() === '(') {
      arg = readArgument(src, this.i, TEXT_ARGUMENT[key] === true);
      this.i = arg.end;
      arg = arg.text;
    }
    if (!element && key === 'remove') {
      if (arg !== null && arg.trim() !== '') throw new ParseError();
      step.remove = true;
      return null;
    }
    var compile = element ? null : EXTENDED[key];
    if (!compile) return src.slice(from, this.i);
    if (arg === null) throw new ParseError();
    if (LIST_ARGUMENT[key]) {
      var rule = compileSelector(new Parser(arg), undefined, key === 'has' || key === '-abp-has');
      if (rule.remove) throw new ParseError();
      // -abp-has is no browser's, and browsers refuse :has inside :has;
      // other native :has, :not and :is stay native.
      var nested = key === 'has' && /:(-abp-)?has\(/i.test(arg);
      if (rule.native && key !== '-abp-has' && !nested) return src.slice(from, this.i);
      return compile(rule);
    }
    return compile(arg, key);
  };

  function isNativeList(list) {
    return list.every(function (steps) {
      return steps.every(function (step) { return step.ops.length === 0 && !step.remove; });
    });
  }

  // Folds runs of purely native steps into the next step, so that one
  // querySelectorAll covers them. A run may only be folded where the query
  // can start from the current elements: from the document, or through a
  // descendant or child combinator (siblings lie outside a :scope query).
  function foldSteps(steps) {
    var out = [];
    var pending = null;
    steps.forEach(function (step, index) {
      if (pending) {
        step = {
          comb: pending.comb,
          native: pending.native + (step.comb === ' ' ? ' ' : ' ' + step.comb + ' ') + (step.native || '*'),
          ops: step.ops
        };
      }
      var foldable = step.comb === null || step.comb === ' ' || step.comb === '>';
      if (step.ops.length === 0 && index < steps.length - 1 && foldable) {
        pending = { comb: step.comb, native: step.native || '*' };
      } else {
        out.push(step);
        pending = null;
      }
    });
    return out;
  }

  function validateNative(text) {
    if (text) doc.createDocumentFragment().querySelector(text);
  }

  // Parses a selector list into a rule; throws ParseError or the browser's
  // SyntaxError when it is not valid. A relative list (the argument of
  // :has) may open with a combinator.
  function compileSelector(parser, stop, relative) {
    var start = parser.i;
    var list = parser.list(stop, relative);
    var text = parser.src.slice(start, parser.i).trim();
    list.forEach(function (steps) {
      steps.forEach(function (step, index) {
        if (step.remove && index < steps.length - 1) throw new ParseError();
        validateNative(step.native);
      });
    });
    var native = isNativeList(list);
    if (native && !relative) validateNative(text);
    return {
      text: text,
      native: native,
      remove: list.some(function (steps) { return steps[steps.length - 1].remove; }),
      list: list.map(foldSteps)
    };
  }

  // ---------------------------------------------------------------------
  // Argument matchers.

  function unquote(text) {
    text = text.trim();
    var q = text[0];
    if ((q === '"' || q === '\'') && text.length > 1 && text[text.length - 1] === q) {
      return text.slice(1, -1).replace(/\\(.)/g, '$1');
    }
    return text;
  }

  function regexOf(text) {
    var m = /^\/(.*)\/([a-z]*)$/.exec(text.trim());
    return m ? new RegExp(m[1], m[2].replace(/[gy]/g, '')) : null;
  }

  // A matcher of a string argument: /regex/ tests; otherwise `contains`
  // looks for the text, and the other forms compare it whole, "*" standing
  // for any run of characters.
  function matcher(text, contains) {
    var re = regexOf(text);
    if (re) return function (value) { return re.test(value); };
    var plain = unquote(text);
    if (contains) return function (value) { return value.indexOf(plain) >= 0; };
    if (plain.indexOf('*') < 0) return function (value) { return value === plain; };
    var wild = new RegExp('^' + plain.split('*').map(function (part) {
      return part.replace(/[.*+?^${}()|[\]\\]/g, '\\$&');
    }).join('[\\s\\S]*') + '$');
    return function (value) { return wild.test(value); };
  }

  // Splits `text` at the first top-level `separator` outside quotes and
  // regexes; returns [left, right] or [text].
  function splitTop(text, separator) {
    for (var i = 0; i < text.length; i++) {
      var c = text[i];
      if (c === '"' || c === '\'') i = skipString(text, i) - 1;
      else if (c === '/' && text.slice(0, i).trim() === '') i = skipRegex(text, i) - 1;
      else if (c === '\\') i++;
      else if (c === separator) return [text.slice(0, i), text.slice(i + 1)];
    }
    return [text];
  }

  // ---------------------------------------------------------------------
  // Operations. A filter keeps or drops an element; a map moves from an
  // element to others.

  function filterOp(test) {
    return { test: test };
  }

  function mapOp(map) {
    return { map: map };
  }

  function nativeFilter(text) {
    validateNative(text);
    return filterOp(function (el) { return el.matches(text); });
  }

  function compileHas(rule) {
    return filterOp(function (el, pass) { return selectList(rule.list, el, pass, true).length > 0; });
  }

  function compileContains(arg) {
    var match = matcher(arg, true);
    return filterOp(function (el) { return match(el.textContent); });
  }

  function stripQuotes(value) {
    return value.replace(/^(["'])([\s\S]*)\1$/, '$2');
  }

  function compileMatchesCss(arg, key) {
    var pseudo = key === 'matches-css-before' ? '::before' : key === 'matches-css-after' ? '::after' : null;
    var lead = /^\s*(before|after)\s*,/i.exec(arg);
    if (lead && !pseudo) {
      pseudo = '::' + lead[1].toLowerCase();
      arg = arg.slice(lead[0].length);
    }
    var parts = splitTop(arg, ':');
    if (parts.length < 2) throw new ParseError();
    var property = parts[0].trim().toLowerCase();
    var match = matcher(parts[1], false);
    return filterOp(function (el) {
      var value = getComputedStyle(el, pseudo).getPropertyValue(property).trim();
      // A generated content value comes back quoted; rules write it either way.
      return match(value) || (property === 'content' && match(stripQuotes(value)));
    });
  }

  function compileMatchesAttr(arg) {
    var parts = splitTop(arg, '=');
    var name = matcher(parts[0], false);
    var value = parts.length > 1 ? matcher(parts[1], false) : null;
    return filterOp(function (el) {
      var attrs = el.attributes;
      for (var i = 0; i < attrs.length; i++) {
        if (name(attrs[i].name) && (!value || value(attrs[i].value))) return true;
      }
      return false;
    });
  }

  // "a.b./c+/.d" -> matchers of the chain's segments.
  function propertyChain(text) {
    var segments = [];
    var i = 0;
    text = unquote(text);
    while (i <= text.length) {
      var end = text[i] === '/' ? skipRegex(text, i) : text.indexOf('.', i);
      if (end < 0) end = text.length;
      var segment = text.slice(i, end);
      if (!segment) throw new ParseError();
      segments.push(regexOf(segment) || segment);
      if (end < text.length && text[end] !== '.') throw new ParseError();
      i = end + 1;
    }
    return segments;
  }

  function propertyKeys(object) {
    var keys = [];
    for (var o = object; o; o = Object.getPrototypeOf(o)) keys.push.apply(keys, Object.getOwnPropertyNames(o));
    return keys;
  }

  function chainValues(base, segments, index, out) {
    if (index === segments.length) {
      out.push(base);
      return;
    }
    if (base === null || base === undefined) return;
    var segment = segments[index];
    var keys = typeof segment === 'string' ? [segment] : propertyKeys(Object(base)).filter(function (k) {
      return segment.test(k);
    });
    keys.forEach(function (key) {
      if (key in Object(base)) chainValues(base[key], segments, index + 1, out);
    });
  }

  function compileMatchesProperty(arg) {
    var parts = splitTop(arg, '=');
    var chain = propertyChain(parts[0].trim());
    var value = parts.length > 1 ? matcher(parts[1], false) : null;
    return filterOp(function (el) {
      var found = [];
      try {
        chainValues(el, chain, 0, found);
      } catch (e) {
        // A throwing getter on the way means no match for this element.
      }
      return found.some(function (v) { return !value || value(String(v)); });
    });
  }

  function compileXpath(arg) {
    var expression = doc.createExpression(arg);
    var op = mapOp(function (context) {
      var result = expression.evaluate(context, XPathResult.ORDERED_NODE_SNAPSHOT_TYPE, null);
      var out = [];
      for (var i = 0; i < result.snapshotLength; i++) {
        var node = result.snapshotItem(i);
        if (node.nodeType === 1) out.push(node);
      }
      return out;
    });
    op.context = true;
    return op;
  }

  function positiveInteger(text) {
    var n = /^\s*\d+\s*$/.test(text) ? parseInt(text, 10) : 0;
    if (n < 1 || n > 256) throw new ParseError();
    return n;
  }

  function ancestorOp(n) {
    return mapOp(function (el) {
      for (var i = 0; i < n && el; i++) el = el.parentElement;
      return el ? [el] : [];
    });
  }

  function compileNthAncestor(arg) {
    return ancestorOp(positiveInteger(arg));
  }

  function compileUpward(arg) {
    if (/^\s*\d+\s*$/.test(arg)) return ancestorOp(positiveInteger(arg));
    var rule = compileSelector(new Parser(arg), undefined, false);
    return mapOp(function (el, pass) {
      var set = rule.native ? null : cachedSet(rule.list, pass);
      for (el = el.parentElement; el; el = el.parentElement) {
        if (set ? set.has(el) : el.matches(rule.text)) return [el];
      }
      return [];
    });
  }

  function compileMinTextLength(arg) {
    var n = /^\s*\d+\s*$/.test(arg) ? parseInt(arg, 10) : NaN;
    if (isNaN(n)) throw new ParseError();
    return filterOp(function (el) { return el.textContent.length >= n; });
  }

  function compileNot(rule) {
    return filterOp(function (el, pass) { return !cachedSet(rule.list, pass).has(el); });
  }

  function compileIs(rule) {
    return filterOp(function (el, pass) { return cachedSet(rule.list, pass).has(el); });
  }

  // ---------------------------------------------------------------------
  // Evaluation.

  // The elements a selector list selects from the whole document, computed
  // once per pass (for :not, :is and :upward arguments).
  function cachedSet(list, pass) {
    var key = list.key || (list.key = {});
    var set = pass.cache.get(key);
    if (!set) {
      set = new Set(selectList(list, null, pass, false));
      pass.cache.set(key, set);
    }
    return set;
  }

  function unique(elements) {
    return elements.length < 2 ? elements : Array.from(new Set(elements));
  }

  // Drops elements that lie inside another one of the list: a descendant
  // query from the outer one already covers them.
  function outermost(elements) {
    if (elements.length < 2) return elements;
    var set = new Set(elements);
    return elements.filter(function (el) {
      for (var p = el.parentElement; p; p = p.parentElement) {
        if (set.has(p)) return false;
      }
      return true;
    });
  }

  function candidates(step, base) {
    var query = step.native || '*';
    var out = [];
    if (step.comb === ' ') base = outermost(base);
    base.forEach(function (el) {
      var sibling;
      if (step.comb === ' ' || step.comb === '>') {
        out.push.apply(out, el.querySelectorAll(':scope ' + step.comb + ' ' + query));
      } else if (step.comb === '+') {
        sibling = el.nextElementSibling;
        if (sibling && sibling.matches(query)) out.push(sibling);
      } else {
        for (sibling = el.nextElementSibling; sibling; sibling = sibling.nextElementSibling) {
          if (sibling.matches(query)) out.push(sibling);
        }
      }
    });
    return unique(out);
  }

  function firstCandidates(step, scope) {
    // An :xpath that opens a step without a native part takes the current
    // node as its context rather than every element.
    if (!step.native && step.ops.length && step.ops[0].context) return [scope || doc];
    if (scope) return candidates(step, [scope]);
    return Array.prototype.slice.call(doc.querySelectorAll(step.native || '*'));
  }

  function applyOps(ops, elements, pass, skipFirst) {
    for (var k = skipFirst ? 1 : 0; k < ops.length && elements.length; k++) {
      var op = ops[k];
      if (op.test) {
        elements = elements.filter(function (el) { return op.test(el, pass); });
      } else {
        var mapped = [];
        elements.forEach(function (el) { mapped.push.apply(mapped, op.map(el, pass)); });
        elements = unique(mapped);
      }
    }
    return elements;
  }

  function contextStep(step, base, pass) {
    if (!step.native && step.ops.length && step.ops[0].context) {
      var within = step.comb === ' ' ? base : candidates(step, base);
      return applyOps(step.ops, within, pass, false);
    }
    return applyOps(step.ops, candidates(step, base), pass, false);
  }

  function selectComplex(steps, scope, pass, firstOnly) {
    var elements = firstCandidates(steps[0], scope);
    elements = applyOps(steps[0].ops, elements, pass, false);
    for (var k = 1; k < steps.length && elements.length; k++) {
      elements = contextStep(steps[k], elements, pass);
    }
    return firstOnly ? elements.slice(0, 1) : elements;
  }

  function selectList(list, scope, pass, firstOnly) {
    var out = [];
    for (var k = 0; k < list.length; k++) {
      out.push.apply(out, selectComplex(list[k], scope, pass, firstOnly));
      if (firstOnly && out.length) break;
    }
    return unique(out);
  }

  // ---------------------------------------------------------------------
  // The style sheet texts.

  // Declarations of one block, or null when they do not parse. A "{" means
  // the block's "}" was missing and the next rule got swallowed.
  function parseDeclarations(text) {
    if (splitTop(text, '{').length > 1) return null;
    var declarations = [];
    var remove = false;
    var rest = text;
    while (rest.trim()) {
      var parts = splitTop(rest, ';');
      var pair = splitTop(parts[0], ':');
      rest = parts.length > 1 ? parts[1] : '';
      if (!parts[0].trim()) continue;
      if (pair.length < 2) return null;
      var property = pair[0].trim().toLowerCase();
      var value = pair[1].replace(/!\s*important\s*$/i, '').trim();
      if (!property || !value) return null;
      if (property === 'remove') remove = value === 'true';
      else declarations.push([property, value]);
    }
    return { list: declarations, remove: remove };
  }

  // Finds the "}" that closes a block body starting at `i`.
  function blockEnd(src, i) {
    var depth = 0;
    for (; i < src.length; i++) {
      var c = src[i];
      if (c === '"' || c === '\'') i = skipString(src, i) - 1;
      else if (c === '\\') i++;
      else if (c === '(') depth++;
      else if (c === ')') depth--;
      else if (c === '}' && depth <= 0) return i;
    }
    throw new ParseError();
  }

  function parseBlock(src, parser) {
    var selector = compileSelector(parser, '{', false);
    if (parser.peek() !== '{') throw new ParseError();
    var end = blockEnd(src, parser.i + 1);
    var body = src.slice(parser.i + 1, end);
    var declarations = parseDeclarations(body);
    if (!declarations) throw new ParseError();
    parser.i = end + 1;
    return {
      selector: selector,
      body: body,
      declarations: declarations.list,
      remove: declarations.remove || selector.remove
    };
  }

  // Parses the extended style sheet into blocks; a block that does not
  // parse is dropped up to the end of its line, and the next one is read.
  function parseSheet(src) {
    var blocks = [];
    var parser = new Parser(src);
    for (;;) {
      parser.skipSpace();
      if (parser.i >= src.length) break;
      try {
        blocks.push(parseBlock(src, parser));
      } catch (e) {
        // Rules come one per line, and no scan runs past a line end inside
        // an argument or a string, so the broken rule ends on this line.
        var next = src.indexOf('\n', parser.i);
        if (next < 0) break;
        parser.i = next + 1;
      }
    }
    return blocks;
  }

  // ---------------------------------------------------------------------
  // Applying the results.

  var styled = new Map();

  function restore(el, saved, property) {
    var old = saved.get(property);
    if (old[0]) el.style.setProperty(property, old[0], old[1]);
    else el.style.removeProperty(property);
    saved.delete(property);
  }

  function styleElement(el, declarations) {
    var saved = styled.get(el);
    if (!saved) styled.set(el, saved = new Map());
    declarations.forEach(function (value, property) {
      var style = el.style;
      if (!saved.has(property)) saved.set(property, [style.getPropertyValue(property), style.getPropertyPriority(property)]);
      if (style.getPropertyValue(property) !== value || style.getPropertyPriority(property) !== 'important') {
        style.setProperty(property, value, 'important');
      }
    });
    saved.forEach(function (old, property) {
      if (!declarations.has(property)) restore(el, saved, property);
    });
  }

  function unstyle(el) {
    var saved = styled.get(el);
    saved.forEach(function (old, property) { restore(el, saved, property); });
    styled.delete(el);
  }

  function evaluate(rules) {
    var pass = { cache: new Map() };
    var wanted = new Map();
    var doomed = [];
    rules.forEach(function (rule) {
      var elements;
      try {
        elements = selectList(rule.selector.list, null, pass, false);
      } catch (e) {
        return;
      }
      elements.forEach(function (el) {
        if (rule.remove) {
          doomed.push(el);
          return;
        }
        var declarations = wanted.get(el);
        if (!declarations) wanted.set(el, declarations = new Map());
        rule.declarations.forEach(function (d) { declarations.set(d[0], d[1]); });
      });
    });
    doomed.forEach(function (el) {
      wanted.delete(el);
      el.remove();
    });
    styled.forEach(function (saved, el) {
      if (!wanted.has(el)) unstyle(el);
    });
    wanted.forEach(function (declarations, el) { styleElement(el, declarations); });
  }

  // ---------------------------------------------------------------------
  // The page style element, kept in place while the page runs.

  var sheetText = '';
  var styleNode = null;

  function makeStyle() {
    var style = withNonce(doc.createElement('style'));
    style.textContent = sheetText;
    insertionPoint().appendChild(style);
    return style;
  }

  var STYLE_WATCH = { attributes: true, characterData: true, childList: true, subtree: true };

  function guardStyle() {
    if (!styleNode) return;
    var sheet = styleNode.sheet;
    if (styleNode.isConnected && styleNode.textContent === sheetText && !(sheet && sheet.disabled) &&
        !styleNode.hasAttribute('media')) {
      return;
    }
    styleNode.remove();
    styleNode = makeStyle();
    observer.observe(styleNode, STYLE_WATCH);
  }

  // ---------------------------------------------------------------------
  // Scheduling. Extended rules are evaluated again after DOM changes, at
  // most once per frame, and after a costly pass the next one waits a
  // multiple of its cost so that busy pages keep most of their time.

  var extendedRules = [];
  var observer = null;
  var scheduled = false;
  var lastEnd = 0;
  var lastCost = 0;

  function now() {
    return performance.now();
  }

  function run() {
    if (!scheduled && lastEnd) return;
    scheduled = false;
    var start = now();
    // The records dropped here may include a removal of the style element.
    if (observer) observer.takeRecords();
    guardStyle();
    evaluate(extendedRules);
    if (observer) observer.takeRecords();
    lastEnd = now();
    lastCost = lastEnd - start;
  }

  function nextFrame() {
    // Hidden documents get no animation frames; the timer covers them.
    var timer = setTimeout(run, 100);
    requestAnimationFrame(function () {
      clearTimeout(timer);
      run();
    });
  }

  function schedule() {
    if (scheduled || !extendedRules.length) return;
    scheduled = true;
    var wait = lastEnd + Math.min(lastCost * 4, 1000) - now();
    if (wait > 0) setTimeout(nextFrame, wait);
    else nextFrame();
  }

  function onMutations(records) {
    guardStyle();
    for (var k = 0; k < records.length; k++) {
      var target = records[k].target;
      if (target !== styleNode && target.parentNode !== styleNode) {
        schedule();
        return;
      }
    }
  }

  function observe() {
    observer = new MutationObserver(onMutations);
    var options = { childList: true, subtree: true };
    if (extendedRules.length) {
      options.attributes = true;
      options.characterData = true;
    }
    observer.observe(doc, options);
    if (styleNode) observer.observe(styleNode, STYLE_WATCH);
  }

  // ---------------------------------------------------------------------
  // Start.

  function applyStyles() {
    var nativeBlocks = [];
    if (config.extendedCss) {
      parseSheet(config.extendedCss).forEach(function (block) {
        if (block.selector.native && !block.remove) nativeBlocks.push(block.selector.text + ' {' + block.body + '}');
        else extendedRules.push(block);
      });
    }
    sheetText = [config.commonCss, config.specificCss].concat(nativeBlocks).filter(Boolean).join('\n');
    if (sheetText) styleNode = makeStyle();
  }

  // Script rules run in the page's own world, ahead of the page's scripts
  // when the content script is loaded early. While the script runs, its
  // element (document.currentScript) carries the filtering and
  // interception contexts as the properties `filteringContext` and
  // `interceptionContext`, so that nothing is left on the window.
  function runScript() {
    if (!config.script) return;
    var script = withNonce(doc.createElement('script'));
    script.textContent = config.script;
    script.filteringContext = config.filteringContext;
    script.interceptionContext = config.interceptionContext;
    insertionPoint().appendChild(script);
    script.remove();
  }

  function loadSafeBrowsing() {
    if (!config.safeBrowsingUrl) return;
    var script = withNonce(doc.createElement('script'));
    script.src = config.safeBrowsingUrl;
    insertionPoint().appendChild(script);
  }

  function startExtended() {
    if (!styleNode && !extendedRules.length) return;
    observe();
    if (!extendedRules.length) return;
    scheduled = true;
    run();
    if (doc.readyState === 'loading') doc.addEventListener('DOMContentLoaded', schedule);
    // Computed styles change once style sheets and images have loaded.
    window.addEventListener('load', schedule);
  }

  [applyStyles, runScript, startExtended, loadSafeBrowsing].forEach(function (step) {
    try {
      step();
    } catch (e) {
      // A page that breaks one step still gets the others.
    }
  });
})();
